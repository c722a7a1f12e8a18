// Path helpers that ask the file system.
#include "base/io/Path.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/posix/RegularFile.h"

namespace Path {

bool FileExists(const String& path) {
    const int fd = Posix::OpenRegularFile(path.CStr(), Posix::Links::Follow);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

bool DirectoryExists(const String& path) {
    struct stat info {};
    return ::stat(path.CStr(), &info) == 0;
}

static bool IsFolder(const String& path) {
    struct stat info {};
    return ::stat(path.CStr(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool CreateFolders(const String& folder) {
    String generic;
    ToForwardSlashes(generic, folder);
    String prefix;
    std::size_t i = 0;
    if (!generic.IsEmpty() && generic[0] == '/') {
        prefix.PushBack('/');
        i = 1;
    }
    while (i < generic.Length()) {
        std::size_t end = i;
        while (end < generic.Length() && generic[end] != '/') ++end;
        if (end == i) return true;  // an empty component ends the walk
        prefix.Append(generic.CStr() + i, generic.CStr() + end);
        prefix.PushBack('/');
        if (!IsFolder(prefix) && ::mkdir(prefix.CStr(), 0755) != 0 && errno != EEXIST) return false;
        i = end + 1;
    }
    return true;
}

String CurrentDirectory() {
    char buffer[1024];
    return ::getcwd(buffer, sizeof buffer) ? String(buffer) : String("");
}

String TempPath() {
    const char* folder = std::getenv("TMPDIR");
    String result(folder && *folder ? folder : "/tmp/");
    EnsureTrailingSeparator(result, '/');
    return result;
}

String TempFileName(const String& folder, const char* prefix) {
    String pattern(folder.IsEmpty() ? String("./") : folder);
    EnsureTrailingSeparator(pattern, '/');
    pattern.Append(prefix);
    pattern.Append("XXXXXX");
    const int fd = ::mkstemp(pattern.Data());
    if (fd < 0) return String("");
    ::close(fd);
    return pattern;
}

namespace {
// The entry of folder whose name equals name ignoring ASCII case; false when none.
bool FindStoredName(const String& folder, const String& name, String& stored) {
    DIR* dir = ::opendir(folder.IsEmpty() ? "." : folder.CStr());
    if (!dir) return false;
    bool found = false;
    while (const dirent* entry = ::readdir(dir)) {
        if (::strcasecmp(entry->d_name, name.CStr()) == 0) {
            stored = entry->d_name;
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

bool Exists(const String& path) {
    struct stat info {};
    return ::lstat(path.CStr(), &info) == 0;
}
}  // namespace

bool ResolveCase(const String& path, String& out) {
    if (path.IsEmpty()) return false;
    if (Exists(path)) {
        out = path;
        return true;
    }
    String resolved;
    std::size_t i = 0;
    while (i < path.Length() && IsSeparator(path[i])) resolved.PushBack(path[i++]);
    while (i < path.Length()) {
        std::size_t end = i;
        while (end < path.Length() && !IsSeparator(path[end])) ++end;
        const String name = path.Substr(i, end - i);
        String candidate = resolved + name;
        if (!name.Equals(".") && !name.Equals("..") && !Exists(candidate)) {
            String stored;
            if (!FindStoredName(resolved, name, stored)) return false;
            candidate = resolved + stored;
        }
        resolved = candidate;
        while (end < path.Length() && IsSeparator(path[end])) resolved.PushBack(path[end++]);
        i = end;
    }
    out = resolved;
    return true;
}

String ProperCase(const String& path, char sep) {
    String resolved;
    if (!ResolveCase(path, resolved)) return path;
    if (sep != '/') ReplaceChar(resolved, '/', sep);
    return resolved;
}

String AbsolutePath(const String& path) {
    const char sep = LastSeparator(path);
    const bool trailing = !path.IsEmpty() && IsSeparator(path[path.Length() - 1]);
    String full(path);
    if (path.IsEmpty() || !IsSeparator(path[0])) {
        full = CurrentDirectory();
        EnsureTrailingSeparator(full, sep);
        full.Append(path);
    }
    String result = ProperCase(Normalize(full, sep), sep);
    if (trailing) EnsureTrailingSeparator(result, sep);
    return result;
}

std::uint32_t FileTimeToDos(std::time_t time) {
    std::tm local {};
    if (!::localtime_r(&time, &local) || local.tm_year < 80) return (0u << 25) | (1u << 21) | (1u << 16);
    if (local.tm_year > 207) return 0xFF9FBF7Du;  // 2107-12-31 23:59:58
    const std::uint32_t date = static_cast<std::uint32_t>(((local.tm_year - 80) << 9) | ((local.tm_mon + 1) << 5) |
                                                          local.tm_mday);
    const std::uint32_t clock =
        static_cast<std::uint32_t>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
    return (date << 16) | clock;
}

}  // namespace Path
