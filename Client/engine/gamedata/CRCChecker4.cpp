#include "engine/gamedata/CRCChecker4.h"

#include <zlib.h>

#include "engine/gamedata/GameVersion.h"

namespace Game {

RefPtr<ICRCChecker> CRCChecker4::Create() { return RefPtr<ICRCChecker>(new CRCChecker4(kCheckerBufferSize)); }

std::uint32_t CRCChecker4::FileCrc32(GameFile& file, std::uint64_t size, bool* complete) {
    uLong crc = crc32(0, Z_NULL, 0);
    const bool all = reader_.Feed(
        file, 0, size, [&](const std::uint8_t* data, std::size_t count) { crc = crc32(crc, data, static_cast<uInt>(count)); },
        [this] { return !GoOn(); });
    if (complete) *complete = all;
    return static_cast<std::uint32_t>(crc);
}

int CRCChecker4::CheckFile(const String& path, const GameFolder::Content* content, bool wholeHash) {
    const auto* content4 = dynamic_cast<const Content4*>(content);
    if (!content4) return kHashDiffers;
    GameFile file;
    if (!file.Open(path)) return kCannotOpen;
    if (file.Size() != content->size) return kSizeDiffers;
    if (wholeHash) {
        bool complete = false;
        if (FileCrc32(file, file.Size(), &complete) != content4->crc || !complete) return kHashDiffers;
    }
    return kCheckOk;
}

}  // namespace Game
