#pragma once
// What both version-file generations share: the members, the folder walk of Check, and
// the reading of the inflated folder list.
#include <cstddef>
#include <cstdint>

#include "base/runtime/String.h"
#include "engine/checks/HashPool.h"
#include "engine/gamedata/IGameVersion.h"
#include "engine/gamedata/StickyReader.h"

namespace Game {

// Every generation's checker gets this buffer.
constexpr std::uint32_t kCheckerBufferSize = 0x4000000;
// The largest inflated folder list accepted (a guard against zlib bombs).
constexpr std::uint64_t kMaxFolderListBytes = 64ull << 20;
// From this many files on, Check runs on a pool of threads.
constexpr std::size_t kPooledFrom = 32;

class GameVersion : public IGameVersion {
public:
    const WideString& GetVersion() const override { return version_; }
    const FolderList& GetFolders() const override { return folders_; }
    int GetContentCount() const override { return contentCount_; }
    void SetFlagsMask(int mask) override { flagsMask_ = mask; }
    const String& Root() const { return root_; }

    // The whole file's bytes in the generation's layout.
    virtual bool Parse(const std::uint8_t* data, std::size_t size) = 0;

protected:
    explicit GameVersion(const String& root) : root_(root) {}

    // Reads root + fileName into version with the mask; version, or null when the file
    // is missing, not valid, or was cut short while it was read.
    static RefPtr<IGameVersion> LoadInto(GameVersion* version, const String& fileName, int flagsMask);
    ~GameVersion() override = default;

    // Walks folders and contents in order; with onlyFlagged, contents outside the minimal
    // set are skipped. Many files are checked on a pool of threads, with the same result.
    int CheckWith(CheckerFactory makeChecker, String& outPath, bool onlyFlagged);

    // The generation's four-byte magic, then the version text into version_.
    bool ReadMagicAndVersion(StickyReader& reader, const char (&magic)[5], StringRule versionRule);

    // Reads one content record of the generation (without the fields the two share).
    using ContentReader = RefPtr<GameFolder::Content> (*)(StickyReader& reader, StringRule names);
    // Inflates the zlib stream and reads the folder records into this object.
    bool ReadFolderList(const ByteVector& compressed, StringRule names, ContentReader readContent);

    String root_;
    WideString version_;
    FolderList folders_;
    int contentCount_ = 0;
    int flagsMask_ = 0;
};

}  // namespace Game
