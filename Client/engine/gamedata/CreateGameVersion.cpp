#include "engine/gamedata/CreateGameVersion.h"

#include "engine/gamedata/CRCChecker4.h"
#include "engine/gamedata/CRCChecker5.h"
#include "engine/gamedata/GameVersion4.h"
#include "engine/gamedata/GameVersion5.h"

namespace Game {

RefPtr<IGameVersion> CreateGameVersion(int format, const String& root, const String& fileName, int flagsMask) {
    switch (format) {
    case 4:
        return GameVersion4::Load(root, fileName, flagsMask);
    case 5:
        return GameVersion5::Load(root, fileName, flagsMask);
    default:
        return nullptr;
    }
}

namespace {

// The version file the bytes hold (signature included), or null.
RefPtr<GameVersion> ParsedVersion(int format, const ByteVector& bytes) {
    RefPtr<GameVersion> version;
    if (format == 4) version = new GameVersion4(String());
    if (format == 5) version = new GameVersion5(String());
    if (!version || bytes.Empty() || !version->Parse(bytes.Data(), bytes.Size())) return nullptr;
    return version;
}

}  // namespace

bool IsGameVersionFile(int format, const ByteVector& bytes) { return ParsedVersion(format, bytes) != nullptr; }

WideString VersionTextOfBytes(int format, const ByteVector& bytes) {
    const RefPtr<GameVersion> version = ParsedVersion(format, bytes);
    return version ? version->GetVersion() : WideString();
}

WideString VersionTextOfFile(int format, const String& path) {
    const RefPtr<IGameVersion> version = CreateGameVersion(format, String(), path, 0);
    return version ? version->GetVersion() : WideString();
}

CheckerFactory CheckerOfFormat(int format) {
    switch (format) {
    case 4:
        return &CRCChecker4::Create;
    case 5:
        return &CRCChecker5::Create;
    default:
        return nullptr;
    }
}

}  // namespace Game
