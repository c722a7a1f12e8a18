#pragma once
// The older version-file generation: a CRC-32 over the body and the body's catalog
// hash behind it; files are checked by size and CRC-32.
#include <cstddef>
#include <cstdint>

#include "engine/gamedata/GameVersion.h"

namespace Game {

class GameVersion4 final : public GameVersion {
public:
    static constexpr StringRule kStrings {1, 4095};

    explicit GameVersion4(const String& root) : GameVersion(root) {}

    // Reads root + fileName; null when it is missing or not a valid "ver4" file.
    static RefPtr<IGameVersion> Load(const String& root, const String& fileName, int flagsMask);

    // The whole file's bytes.
    bool Parse(const std::uint8_t* data, std::size_t size) override;
    bool ReadHeader(StickyReader& body);
    bool ReadFolders(StickyReader& body);
    static bool VerifyCatalogHash(const std::uint8_t* body, std::size_t length, const std::uint8_t* hash, std::size_t n);

    // The generation ignores onlyFlagged: every content is checked.
    int Check(String& outPath, bool onlyFlagged) override;

private:
    ~GameVersion4() override = default;
};

}  // namespace Game
