#pragma once
// The current version-file generation: a signed block (RSA-PSS over MD5 with the key
// built into the program); files are checked by size, quick MD5 and MD5.
#include <cstddef>
#include <cstdint>

#include "base/runtime/Vector.h"
#include "engine/gamedata/GameVersion.h"

namespace Game {

// The generation the program reads and checks with.
constexpr int GameVersionFormat = 5;

class GameVersion5 final : public GameVersion {
public:
    static constexpr std::uint32_t kMaxBlock = 0xA00000;
    static constexpr StringRule kStrings {0, kMaxBlock};

    explicit GameVersion5(const String& root) : GameVersion(root) {}

    // Reads root + fileName; null when it is missing, not valid or not signed by the key
    // (the built-in key unless one is given).
    static RefPtr<IGameVersion> Load(const String& root, const String& fileName, int flagsMask,
                                     const ByteVector* publicKey = nullptr);

    // Replaces the built-in key for this object's signature check.
    void SetPublicKey(const ByteVector& key) { publicKey_ = key; }
    bool Parse(const std::uint8_t* data, std::size_t size) override;
    bool ReadHeader(StickyReader& blockA);
    bool ReadFolders(StickyReader& blockA);
    bool VerifySignature(const void* data, std::size_t length, const void* signature, std::size_t signatureLength);

    int Check(String& outPath, bool onlyFlagged) override;

private:
    ~GameVersion5() override = default;

    ByteVector publicKey_;
};

}  // namespace Game
