#include "engine/gamedata/CRCChecker5.h"

#include <tomcrypt.h>

#include <cstring>

#include "engine/gamedata/IGameVersion.h"

namespace Game {
namespace {

void AddToMd5(hash_state& md5, const std::uint8_t* data, std::size_t count) {
    md5_process(&md5, data, static_cast<unsigned long>(count));
}

}  // namespace

bool CRCChecker5::FileMd5(GameFile& file, std::uint64_t size, std::uint8_t digest[16]) {
    hash_state md5;
    md5_init(&md5);
    const bool all = reader_.Feed(
        file, 0, size, [&](const std::uint8_t* data, std::size_t count) { AddToMd5(md5, data, count); },
        [this] { return StopRequested(); });
    md5_done(&md5, digest);
    return all;
}

bool CRCChecker5::QuickMd5(GameFile& file, std::uint64_t size, std::uint8_t digest[16]) {
    if (size <= kQuickWhole) return FileMd5(file, size, digest);
    hash_state md5;
    md5_init(&md5);
    std::uint8_t piece[kQuickPiece];
    bool all = true;
    for (const std::uint64_t offset : {std::uint64_t {0}, size - kQuickPiece}) {
        // A piece counts only when it came whole.
        if (file.ReadAt(offset, piece, sizeof piece) == sizeof piece) {
            md5_process(&md5, piece, sizeof piece);
        } else {
            all = false;
        }
    }
    md5_done(&md5, digest);
    return all;
}

int CRCChecker5::Check(const String& folderPath, const GameFolder::Content* content) {
    const auto* content5 = dynamic_cast<const Content5*>(content);
    if (!content5) return kHashDiffers;
    GameFile file;
    if (!file.Open(folderPath + content->name)) return kCannotOpen;
    if (file.Size() != content->size) return kSizeDiffers;
    std::uint8_t digest[16];
    if (!QuickMd5(file, file.Size(), digest) || std::memcmp(digest, content5->quickMd5, 16) != 0) return kSizeDiffers;
    if ((content->Flags() & kCompareHash) != 0) {
        if (!FileMd5(file, file.Size(), digest) || std::memcmp(digest, content5->fullMd5, 16) != 0) return kHashDiffers;
    }
    return kCheckOk;
}

}  // namespace Game
