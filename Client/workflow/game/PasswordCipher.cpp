#include "workflow/game/PasswordCipher.h"

#include <unistd.h>

#include <algorithm>

namespace PasswordCipher {

namespace {

constexpr std::uint32_t kDelta = 0x9E3779B9u;

std::uint32_t Mix32(std::uint32_t h) {
    h ^= h >> 16;
    h *= 0x85EBCA6Bu;
    h ^= h >> 13;
    h *= 0xC2B2AE35u;
    h ^= h >> 16;
    return h;
}

// The sign bit is copied in: C++20 defines >> of a negative value as arithmetic.
std::uint32_t SignedShiftRight(std::uint32_t value, int bits) {
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(value) >> bits);
}

}  // namespace

Key KeyForProcess(pid_t processId) {
    Key key{};
    const auto pid = static_cast<std::uint32_t>(processId);
    for (std::uint32_t i = 0; i < key.size(); ++i) key[i] = Mix32(pid + (i + 1) * kDelta);
    return key;
}

std::vector<std::uint32_t> PackTextWords(const WideString& text) {
    const std::size_t units = text.Length();
    std::vector<std::uint32_t> words(std::max<std::size_t>(2, (units + 1) / 2), 0);
    for (std::size_t i = 0; i < units; ++i)
        words[i / 2] |= static_cast<std::uint32_t>(static_cast<std::uint16_t>(text[i])) << (i % 2 ? 16 : 0);
    return words;
}

void EncipherWords(const Key& key, std::vector<std::uint32_t>& words) {
    const std::size_t n = words.size();
    if (n < 2) return;
    std::uint32_t sum = 0;
    std::uint32_t z = words[n - 1];
    for (std::size_t round = 6 + 52 / n; round > 0; --round) {
        sum += kDelta;
        const std::uint32_t e = (sum >> 2) & 3;
        for (std::size_t p = 0; p < n; ++p) {
            const std::uint32_t y = words[(p + 1) % n];
            const std::uint32_t mx = ((SignedShiftRight(z, 5) ^ (y << 2)) + (SignedShiftRight(y, 3) ^ (z << 4))) ^
                                     ((sum ^ y) + (key[(p & 3) ^ e] ^ z));
            words[p] += mx;
            z = words[p];
        }
    }
}

WideString WordsToHex(const std::vector<std::uint32_t>& words) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    WideString text;
    text.Reserve(words.size() * 8);
    for (std::uint32_t word : words)
        for (int shift = 28; shift >= 0; shift -= 4) text.Append(kDigits[(word >> shift) & 0xF]);
    return text;
}

WideString Encipher(const WideString& password, const Key& key) {
    std::vector<std::uint32_t> words = PackTextWords(password);
    EncipherWords(key, words);
    return WordsToHex(words);
}

}  // namespace PasswordCipher

WideString EncipherPassword(const WideString& password) {
    return PasswordCipher::Encipher(password, PasswordCipher::KeyForProcess(getpid()));
}
