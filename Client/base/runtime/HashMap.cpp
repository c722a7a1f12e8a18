#include "base/runtime/HashMap.h"

namespace HashMapDetail {

const std::uint32_t kPrimeTable[30] = {
    13u,        29u,        53u,        97u,        193u,       389u,       769u,       1543u,
    3079u,      6151u,      12289u,     24593u,     49157u,     98317u,     196613u,    393241u,
    786433u,    1572869u,   3145739u,   6291469u,   12582917u,  25165843u,  50331653u,  100663319u,
    201326611u, 402653189u, 805306457u, 1610612741u, 3221225473u, 4294967291u,
};

std::uint32_t BucketCountFor(std::uint64_t n) {
    for (std::uint32_t prime : kPrimeTable) {
        if (prime >= n) return prime;
    }
    return kPrimeTable[29];
}

std::uint32_t HashKey(const String& key) {
    std::uint32_t h = 0;
    // Hashed up to the terminating zero, as a zero-terminated text.
    for (std::size_t i = 0; i < key.Length() && key[i] != 0; ++i) {
        h = 5u * h + static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(key[i])));
    }
    return h;
}

std::uint32_t HashKey(const WideString& key) {
    std::uint32_t h = 0;
    for (std::size_t i = 0; i < key.Length(); ++i) h = 5u * h + static_cast<std::uint16_t>(key[i]);
    return h;
}

}  // namespace HashMapDetail
