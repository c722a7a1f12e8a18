#include "engine/gamedata/GameVersion5.h"

#include <cstring>

#include "base/crypto/RsaSign.h"
#include "base/runtime/StrUtil.h"
#include "engine/gamedata/BuiltInKey.h"
#include "engine/gamedata/CRCChecker5.h"

namespace Game {
namespace {

RefPtr<GameFolder::Content> ReadContent5(StickyReader& reader, StringRule names) {
    RefPtr<Content5> content(new Content5());
    reader.ReadString(content->name, names);
    content->size = reader.ReadU32();
    reader.ReadBytes(content->fullMd5, 16);
    reader.ReadBytes(content->quickMd5, 16);
    content->SetFlags(reader.ReadU8());
    return reader.Ok() ? RefPtr<GameFolder::Content>(content.Get()) : nullptr;
}

}  // namespace

RefPtr<IGameVersion> GameVersion5::Load(const String& root, const String& fileName, int flagsMask,
                                        const ByteVector* publicKey) {
    RefPtr<GameVersion5> version(new GameVersion5(root));
    if (publicKey) version->SetPublicKey(*publicKey);
    return LoadInto(version.Get(), fileName, flagsMask);
}

bool GameVersion5::VerifySignature(const void* data, std::size_t length, const void* signature,
                                   std::size_t signatureLength) {
    const bool builtIn = publicKey_.Empty();
    RefPtr<RsaSign> key(builtIn ? RsaSign::Create(BuiltInKey(), BuiltInKeyLength())
                                : RsaSign::Create(publicKey_.Data(), publicKey_.Size()));
    return key && key->Verify(data, length, signature, signatureLength);
}

bool GameVersion5::Parse(const std::uint8_t* data, std::size_t size) {
    StickyReader file(data, size);
    ByteVector blockA;
    ByteVector signature;
    file.ReadBlock(blockA, kMaxBlock);
    file.ReadBlock(signature, kMaxBlock);
    if (!file.Ok() || blockA.Empty() || signature.Empty()) return false;
    if (!VerifySignature(blockA.Data(), blockA.Size(), signature.Data(), signature.Size())) return false;

    StickyReader reader(blockA.Data(), blockA.Size());
    return ReadHeader(reader) && ReadFolders(reader);
}

bool GameVersion5::ReadHeader(StickyReader& blockA) { return ReadMagicAndVersion(blockA, "ver5", kStrings); }

bool GameVersion5::ReadFolders(StickyReader& blockA) {
    ByteVector compressed;
    if (!blockA.ReadBlock(compressed, kMaxBlock)) return false;
    return ReadFolderList(compressed, kStrings, ReadContent5);
}

int GameVersion5::Check(String& outPath, bool onlyFlagged) {
    return CheckWith(&CRCChecker5::Create, outPath, onlyFlagged);
}

}  // namespace Game
