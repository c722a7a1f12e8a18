#include "engine/gamedata/GameVersion4.h"

#include <zlib.h>

#include <cstring>

#include "base/runtime/StrUtil.h"
#include "engine/gamedata/CRCChecker4.h"
#include "engine/gamedata/EncryptionChecker.h"

namespace Game {
namespace {

RefPtr<GameFolder::Content> ReadContent4(StickyReader& reader, StringRule names) {
    RefPtr<Content4> content(new Content4());
    reader.ReadString(content->name, names);
    content->size = reader.ReadU32();
    content->crc = reader.ReadU32();
    content->SetFlags(reader.ReadU8());
    return reader.Ok() ? RefPtr<GameFolder::Content>(content.Get()) : nullptr;
}

std::uint32_t LoadU32(const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace

RefPtr<IGameVersion> GameVersion4::Load(const String& root, const String& fileName, int flagsMask) {
    return LoadInto(new GameVersion4(root), fileName, flagsMask);
}

bool GameVersion4::VerifyCatalogHash(const std::uint8_t* body, std::size_t length, const std::uint8_t* hash,
                                     std::size_t n) {
    RefPtr<EncryptionChecker> checker = EncryptionChecker::Create();
    return !checker || checker->Verify(body, length, hash, n);
}

bool GameVersion4::Parse(const std::uint8_t* data, std::size_t size) {
    // The hash length sits 4 bytes before the end; a negative one, or one that leaves
    // no room for the CRC and the trailer, is refused before anything is read by it.
    if (size < 8) return false;
    const int n = static_cast<std::int8_t>(data[size - 4]);
    if (n < 0 || size < static_cast<std::size_t>(n) + 8) return false;
    const std::size_t bodyLength = size - static_cast<std::size_t>(n) - 8;
    const std::uint8_t* body = data + 4;
    if (crc32(crc32(0, Z_NULL, 0), body, static_cast<uInt>(bodyLength)) != LoadU32(data)) return false;
    if (!VerifyCatalogHash(body, bodyLength, body + bodyLength, static_cast<std::size_t>(n))) return false;

    StickyReader reader(body, bodyLength);
    return ReadHeader(reader) && ReadFolders(reader);
}

bool GameVersion4::ReadHeader(StickyReader& body) { return ReadMagicAndVersion(body, "ver4", kStrings); }

bool GameVersion4::ReadFolders(StickyReader& body) {
    ByteVector compressed;
    if (!body.ReadBlock(compressed, UINT32_MAX)) return false;
    return ReadFolderList(compressed, kStrings, ReadContent4);
}

int GameVersion4::Check(String& outPath, bool) {
    return CheckWith(&CRCChecker4::Create, outPath, false);
}

}  // namespace Game
