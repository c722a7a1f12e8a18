#include "engine/gamedata/CRCChecker5.h"

#include <cstring>

#include "engine/gamedata/GameVersion.h"

namespace Game {

RefPtr<ICRCChecker> CRCChecker5::Create() { return RefPtr<ICRCChecker>(new CRCChecker5(kCheckerBufferSize)); }

bool CRCChecker5::Feed(GameFile& file, std::uint64_t offset, std::uint64_t length, Md5Stream& md5) {
    return reader_.Feed(
        file, offset, length, [&](const std::uint8_t* data, std::size_t count) { md5.Add(data, count); },
        [this] { return !GoOn(); });
}

bool CRCChecker5::QuickMd5(GameFile& file, std::uint64_t size, std::uint8_t digest[16], Md5Stream& head) {
    if (size <= kQuickWhole) {
        const bool all = Feed(file, 0, size, head);
        return Md5Stream(head).Finish(digest) && all;
    }
    std::uint8_t piece[kQuickPiece];
    // A piece counts only when it came whole.
    bool all = file.ReadAt(0, piece, sizeof piece) == sizeof piece;
    if (all) head.Add(piece, sizeof piece);
    Md5Stream quick(head);
    if (file.ReadAt(size - kQuickPiece, piece, sizeof piece) == sizeof piece) {
        quick.Add(piece, sizeof piece);
    } else {
        all = false;
    }
    return quick.Finish(digest) && all;
}

bool CRCChecker5::FileMd5(GameFile& file, std::uint64_t size, Md5Stream& head, std::uint8_t digest[16]) {
    const std::uint64_t from = HeadLength(size);
    const bool all = Feed(file, from, size - from, head);
    return head.Finish(digest) && all;
}

int CRCChecker5::CheckFile(const String& path, const GameFolder::Content* content, bool wholeHash) {
    const auto* content5 = dynamic_cast<const Content5*>(content);
    if (!content5) return kHashDiffers;
    GameFile file;
    if (!file.Open(path)) return kCannotOpen;
    if (file.Size() != content->size) return kSizeDiffers;
    std::uint8_t digest[16];
    Md5Stream head;
    if (!QuickMd5(file, file.Size(), digest, head) || std::memcmp(digest, content5->quickMd5, 16) != 0) {
        return kSizeDiffers;
    }
    if (wholeHash) {
        if (!FileMd5(file, file.Size(), head, digest) || std::memcmp(digest, content5->fullMd5, 16) != 0) {
            return kHashDiffers;
        }
    }
    return kCheckOk;
}

}  // namespace Game
