#pragma once
// One folder of the installed game and the files ("contents") it should hold.
#include <atomic>
#include <cstdint>

#include "base/runtime/RefCounter.h"
#include "base/runtime/String.h"
#include "base/runtime/Vector.h"

namespace Game {

// Bits of a content's flag byte.
enum ContentFlags : std::uint8_t {
    kCompareHash = 1,  // compare the CRC-32 or full MD5, not only size and quick digest
    kMinimalSet = 2,   // part of the minimal set of a progressive or demo installation
};

// The loader's rule: a content is kept when all bits of the mask are set in its flags.
inline bool FlagsMatchMask(std::uint8_t flags, int mask) {
    return (static_cast<int>(static_cast<std::int8_t>(flags)) & mask) == mask;
}

class GameFolder : public RefCounter {
public:
    class Content : public RefCounter {
    public:
        String name;
        std::uint32_t size = 0;

        // The full check sets bits from its worker thread while others may read them.
        std::uint8_t Flags() const { return flags_.load(std::memory_order_relaxed); }
        void SetFlags(std::uint8_t flags) { flags_.store(flags, std::memory_order_relaxed); }
        void AddFlags(std::uint8_t bits) { flags_.fetch_or(bits, std::memory_order_relaxed); }

    protected:
        Content() = default;
        ~Content() override = default;

    private:
        std::atomic<std::uint8_t> flags_ {3};
    };

    explicit GameFolder(const String& folderName) : name(folderName) {}

    String name;
    Vector<RefPtr<Content>> contents;

private:
    ~GameFolder() override = default;
};

class Content4 final : public GameFolder::Content {
public:
    std::uint32_t crc = 0;
};

class Content5 final : public GameFolder::Content {
public:
    std::uint8_t fullMd5[16] = {};
    std::uint8_t quickMd5[16] = {};
};

}  // namespace Game
