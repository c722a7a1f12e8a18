#include "engine/gamedata/GameVersion.h"

#include "base/io/InflateReader.h"
#include "base/io/MemoryStream.h"
#include "base/runtime/StrUtil.h"
#include "engine/gamedata/GameFile.h"
#include "engine/gamedata/GameNames.h"
#include "engine/gamedata/VersionFileBytes.h"

#include <cstring>
#include <vector>

namespace Game {

int GameVersion::CheckWith(CheckerFactory makeChecker, String& outPath, bool onlyFlagged) {
    // The first failure in list order wins, and a missing folder ends the list: its
    // files and those of later folders are not looked at.
    std::vector<HashPool::Job> jobs;
    const GameFolder* missing = nullptr;
    for (const RefPtr<GameFolder>& folder : folders_) {
        const String folderPath = root_ + folder->name;
        if (!IsGameFolder(folderPath)) {
            missing = folder.Get();
            break;
        }
        for (const RefPtr<GameFolder::Content>& content : folder->contents) {
            if (onlyFlagged && (content->Flags() & kMinimalSet) == 0) continue;
            jobs.push_back({folderPath, content.Get(), false});
        }
    }
    // A few files are checked on this thread; starting threads would cost more.
    const unsigned threads = jobs.size() < kPooledFrom ? 1 : 0;
    HashPool pool(std::move(jobs), makeChecker, nullptr, threads);
    for (std::size_t i = 0; i < pool.Jobs().size(); ++i) {
        int code = kCheckOk;
        pool.Result(i, code);
        if (code != kCheckOk) {
            const HashPool::Job& failed = pool.Jobs()[i];
            outPath = failed.folderPath + failed.content->name;
            return code;
        }
    }
    if (missing) {
        outPath = missing->name;
        return kFolderMissing;
    }
    return kCheckOk;
}

RefPtr<IGameVersion> GameVersion::LoadInto(GameVersion* version, const String& fileName, int flagsMask) {
    RefPtr<GameVersion> held(version);
    VersionFileBytes file(held->root_ + fileName);
    if (!file.IsOpen()) return nullptr;
    held->SetFlagsMask(flagsMask);
    if (!held->Parse(file.Data(), file.Size()) || !file.Intact()) return nullptr;
    return RefPtr<IGameVersion>(held.Get());
}

bool GameVersion::ReadMagicAndVersion(StickyReader& reader, const char (&magic)[5], StringRule versionRule) {
    char found[4];
    String text;
    reader.ReadBytes(found, 4);
    reader.ReadString(text, versionRule);
    if (!reader.Ok() || std::memcmp(found, magic, 4) != 0) return false;
    version_ = StrUtil::ToWide(text);
    return true;
}

bool GameVersion::ReadFolderList(const ByteVector& compressed, StringRule names, ContentReader readContent) {
    RefPtr<CMemoryStream> stream(new CMemoryStream());
    if (!stream->Allocate(compressed.Size())) return false;
    if (compressed.Size()) std::memcpy(stream->Data(), compressed.Data(), compressed.Size());
    RefPtr<IFileReader> inflater = ZipReader<ZipMemoryStream>::Create(stream.Get());
    if (!inflater || !inflater->IsReadable()) return false;

    StickyReader reader(inflater.Get(), kMaxFolderListBytes);
    const std::uint32_t folderCount = reader.ReadU32();
    // The count is untrusted: nothing is reserved by it, each record must really be there.
    for (std::uint32_t i = 0; reader.Ok() && i < folderCount; ++i) {
        reader.ReadU32();  // reserved
        String name;
        reader.ReadString(name, names);
        const std::uint32_t contentCount = reader.ReadU32();
        if (!reader.Ok() || contentCount == 0) return false;
        RefPtr<GameFolder> folder(new GameFolder(name));
        for (std::uint32_t j = 0; j < contentCount; ++j) {
            RefPtr<GameFolder::Content> content = readContent(reader, names);
            if (!reader.Ok() || !content) return false;
            if (!IsSafeRelativePath(RelativeGamePath(name, content->name))) return false;
            if (!FlagsMatchMask(content->Flags(), flagsMask_)) continue;
            folder->contents.PushBack(content);
            ++contentCount_;
        }
        if (!IsSafeRelativePath(RelativeGamePath(name, String()))) return false;
        folders_.PushBack(folder);
    }
    return reader.Ok();
}

}  // namespace Game
