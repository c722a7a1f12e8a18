#pragma once
// "ver5" file check: size and quick MD5, then (with flag bit 0) the MD5 of the whole file.
#include <cstdint>

#include "engine/gamedata/ChunkedReader.h"
#include "engine/gamedata/ICRCChecker.h"
#include "engine/gamedata/Md5Stream.h"

namespace Game {

class CRCChecker5 final : public ICRCChecker {
public:
    // Files up to this size are quick-checked by their full MD5.
    static constexpr std::uint64_t kQuickWhole = 0x8000;
    // Otherwise the quick MD5 covers this many bytes at the head and at the tail.
    static constexpr std::uint64_t kQuickPiece = 0x4000;

    explicit CRCChecker5(std::uint32_t bufferSize) : reader_(bufferSize) {}
    // A checker with the buffer size every check uses.
    static RefPtr<ICRCChecker> Create();

    int CheckFile(const String& path, const GameFolder::Content* content, bool wholeHash) override;
    // The quick digest of a file of size bytes; false when not all of its bytes could be
    // read. head is left with the file's head added (the whole file when it is small),
    // which the two digests share.
    bool QuickMd5(GameFile& file, std::uint64_t size, std::uint8_t digest[16], Md5Stream& head);
    // The MD5 of the whole file, going on from the head that QuickMd5 left.
    bool FileMd5(GameFile& file, std::uint64_t size, Md5Stream& head, std::uint8_t digest[16]);

private:
    ~CRCChecker5() override = default;

    static std::uint64_t HeadLength(std::uint64_t size) { return size <= kQuickWhole ? size : kQuickPiece; }
    bool Feed(GameFile& file, std::uint64_t offset, std::uint64_t length, Md5Stream& md5);

    ChunkedReader reader_;
};

}  // namespace Game
