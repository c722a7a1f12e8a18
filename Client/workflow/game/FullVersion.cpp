#include "workflow/game/FullVersion.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "base/io/Path.h"
#include "base/runtime/StrUtil.h"
#include "engine/checks/DownloadCheck.h"
#include "engine/gamedata/CreateGameVersion.h"
#include "engine/gamedata/GameNames.h"
#include "engine/gamedata/GameVersion5.h"
#include "platform/posix/FileMove.h"
#include "platform/posix/ParentFolder.h"
#include "shell/PathText.h"

namespace FullVersion {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using LogFile = std::unique_ptr<std::FILE, FileCloser>;

// Null when only a link or something else than a plain file of its own stands at path:
// the launcher may run as root in a folder the player writes, and truncating what a
// link or a second hard link names would destroy another file. So the file is opened
// without following a link and without truncating, and emptied once it is known to be
// the log alone.
LogFile OpenLog(const std::string& path) {
    std::error_code ignored;
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, ignored);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0644);
    if (fd < 0) return nullptr;
    struct stat info {};
    std::FILE* file = nullptr;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_nlink == 1 && ::ftruncate(fd, 0) == 0)
        file = ::fdopen(fd, "w");
    if (!file) ::close(fd);
    return LogFile(file);
}

bool IsRegularFile(const std::string& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The download engine names its torrents in lower case; the folder on disk keeps the
// torrent's own letters.
String OnDiskFolder(const WideString& folder) {
    const String narrow = StrUtil::ToNarrow(PathText::ToGeneric(folder));
    String resolved;
    return Path::ResolveCase(narrow, resolved) ? resolved : narrow;
}

}  // namespace

RefPtr<Rip> BuildList(const AppParams& params) {
    // The whole version file: the installation's own object keeps only the minimal set.
    RefPtr<Game::IGameVersion> version = Game::CreateGameVersion(
        Game::GameVersionFormat, StrUtil::ToNarrow(params.gameRoot), StrUtil::ToNarrow(params.versionFile), 0);
    if (!version) return nullptr;
    RefPtr<Rip> list(new Rip());
    for (const RefPtr<Game::GameFolder>& folder : version->GetFolders()) {
        for (const RefPtr<Game::GameFolder::Content>& content : folder->contents) {
            if (content->Flags() & Game::kMinimalSet) continue;
            const String relative = Game::RelativeGamePath(folder->name, content->name);
            if (relative.IsEmpty()) continue;
            list->Append(StrUtil::ToWide(relative), content->size, Game::kCannotOpen, content.Get());
        }
    }
    return list;
}

WideString StagingFolder(const WideString& torrentPath) {
    static constexpr std::u16string_view kSuffix = u".torrent";
    const std::u16string_view path = torrentPath.View();
    if (path.size() > kSuffix.size() && path.substr(path.size() - kSuffix.size()) == kSuffix)
        return WideString(path.substr(0, path.size() - kSuffix.size()));
    return torrentPath;
}

bool Move(const Rip* list, const WideString& stagingFolder, const WideString& gameRoot, const std::string& logPath) {
    if (!list || list->entries.Empty() || stagingFolder.IsEmpty()) return false;
    const String staging = OnDiskFolder(stagingFolder);
    const String root = StrUtil::ToNarrow(PathText::ToGeneric(gameRoot));
    // Without a log the moves still run: it only records them.
    LogFile log = OpenLog(logPath);
    for (const RipEntry& entry : list->entries) {
        const String relative = StrUtil::ToNarrow(PathText::ToGeneric(entry.path));
        if (relative.IsEmpty() || !Game::IsSafeRelativePath(relative)) return false;
        const std::string source = Path::Join(staging, relative).Std();
        const std::string target = Path::Join(root, relative).Std();
        if (log) {
            std::fprintf(log.get(), "%s\n%s\n\n", source.c_str(), target.c_str());
            std::fflush(log.get());
        }
        // Only the downloaded file itself (a link in the staging folder could name
        // anything), and only as the signed version file lists it: the repair torrent
        // that brought it is not signed.
        if (!IsRegularFile(source) || !Game::MatchesVersionRecord(String(source.c_str()), entry.record.Get()))
            return false;
        // The launcher may run as root over a game folder the player writes: a link in
        // the place of one of the target's folders fails the move instead of leading it
        // elsewhere.
        const Posix::ParentFolder folder(root.Std(), relative.Std(), Posix::ParentFolder::Missing::Create);
        if (folder.Error() != 0 || MoveFileReplacing(source, folder.EntryPath()) != 0) return false;
    }
    return true;
}

}  // namespace FullVersion
