#include "shell/LauncherDownloadFolder.h"

#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#include "base/runtime/StrUtil.h"
#include "shell/resources/StringIds.h"
#include "shell/resources/StringTable.h"

namespace {

std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

std::string ParentOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return std::string();
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string_view NameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string_view(path) : std::string_view(path).substr(slash + 1);
}

bool HasDownloadName(std::string_view name) {
    const std::string_view pattern(kLauncherDownloadPattern);
    const std::string_view prefix = pattern.substr(0, pattern.find('X'));
    return name.size() == pattern.size() && name.substr(0, prefix.size()) == prefix;
}

// lstat: a link is a name of its own, never what it points to.
bool IsOwned(const std::string& path, bool folder) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || info.st_uid != ::geteuid()) return false;
    return folder ? S_ISDIR(info.st_mode) : S_ISREG(info.st_mode);
}

}  // namespace

bool IsOwnLauncherDownload(const std::string& folder) {
    const std::string path = WithoutTrailingSlashes(folder);
    if (path.empty() || path == "/" || !HasDownloadName(NameOf(path))) return false;
    const std::string torrent = StrUtil::ToNarrow(LoadResString(StringId::LauncherTorrentName)).Std();
    return !torrent.empty() && IsOwned(path, true) && IsOwned(path + "/" + torrent, false);
}

std::string LauncherDownloadOf(const std::string& ownPath) {
    const std::string ownFolder = ParentOf(WithoutTrailingSlashes(ownPath));
    for (const std::string& candidate : {ownFolder, ParentOf(ownFolder)})
        if (!candidate.empty() && IsOwnLauncherDownload(candidate)) return candidate;
    return std::string();
}
