#pragma once
// "ver5" file check: size and quick MD5, then (with flag bit 0) the MD5 of the whole file.
#include <cstdint>

#include "engine/gamedata/ChunkedReader.h"
#include "engine/gamedata/ICRCChecker.h"

namespace Game {

class CRCChecker5 final : public ICRCChecker {
public:
    // Files up to this size are quick-checked by their full MD5.
    static constexpr std::uint64_t kQuickWhole = 0x8000;
    // Otherwise the quick MD5 covers this many bytes at the head and at the tail.
    static constexpr std::uint64_t kQuickPiece = 0x4000;

    explicit CRCChecker5(std::uint32_t bufferSize) : reader_(bufferSize) {}

    int Check(const String& folderPath, const GameFolder::Content* content) override;
    // Digests of the first size bytes; false when not all of them could be read.
    bool FileMd5(GameFile& file, std::uint64_t size, std::uint8_t digest[16]);
    bool QuickMd5(GameFile& file, std::uint64_t size, std::uint8_t digest[16]);

private:
    ~CRCChecker5() override = default;

    ChunkedReader reader_;
};

}  // namespace Game
