#include "platform/posix/TreeDeletion.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "platform/posix/ParentFolder.h"
#include "platform/posix/UniqueFd.h"

namespace Posix {

namespace {

struct Entry {
    std::string name;
    bool folder = false;
};

bool IsPlainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

// Entries can only go from a folder its owner may write and search.
void MakeOwnerUsable(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) == 0 && (info.st_mode & S_IRWXU) != S_IRWXU) ::fchmod(fd, (info.st_mode & 07777) | S_IRWXU);
}

// The folder name of parent opened for listing; a link there is not followed (ELOOP).
int OpenFolderToEmpty(int parent, const char* name) {
    int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 && errno == EACCES) {
        // A folder its owner may not read: its mode changes through a handle of the very
        // folder (the /proc name of the handle), never through its name again.
        UniqueFd handle(::openat(parent, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        struct stat info {};
        if (handle.Valid() && ::fstat(handle.Get(), &info) == 0) {
            const std::string self = "/proc/self/fd/" + std::to_string(handle.Get());
            ::chmod(self.c_str(), (info.st_mode & 07777) | S_IRWXU);
            fd = ::openat(handle.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        }
        if (fd < 0) errno = EACCES;
    }
    if (fd >= 0) MakeOwnerUsable(fd);
    return fd;
}

// The entries of the open folder, sorted, without "." and "..".
bool ListEntries(int folder, std::vector<Entry>& entries) {
    const int listing = ::dup(folder);
    if (listing < 0) return false;
    DIR* dir = ::fdopendir(listing);
    if (!dir) {
        ::close(listing);
        return false;
    }
    ::rewinddir(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat info {};
            isFolder = ::fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode);
        }
        entries.push_back({name, isFolder});
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return true;
}

// Deeper than any tree the launcher makes: a planted deeper one is left, rather than
// spending a descriptor and a stack frame per level on it.
constexpr int kMaxDepth = 128;

bool DeleteEntry(int parent, const Entry& entry, const std::string& path, const KeepFolder& keep, int depth);

bool EmptyFolder(int folder, const std::string& path, const KeepFolder& keep, int depth) {
    if (depth > kMaxDepth) {
        errno = ELOOP;
        return false;
    }
    std::vector<Entry> entries;
    if (!ListEntries(folder, entries)) return false;
    for (const Entry& entry : entries) {
        if (!DeleteEntry(folder, entry, path + "/" + entry.name, keep, depth)) return false;
    }
    return true;
}

// Deletes the entry of the open folder parent; whatever it has become since it was
// listed, it is reached through parent only.
bool DeleteEntry(int parent, const Entry& entry, const std::string& path, const KeepFolder& keep, int depth) {
    const char* name = entry.name.c_str();
    if (!entry.folder) {
        if (::unlinkat(parent, name, 0) == 0 || errno == ENOENT) return true;
        if (errno != EISDIR) return false;  // else a folder took the name since the listing
    }
    if (keep && keep(path)) return true;
    UniqueFd folder(OpenFolderToEmpty(parent, name));
    if (!folder.Valid()) {
        if (errno == ENOENT) return true;
        // A link or a file in the folder's place goes as a name of its own.
        if (errno == ELOOP || errno == ENOTDIR) return ::unlinkat(parent, name, 0) == 0 || errno == ENOENT;
        return false;
    }
    const bool emptied = EmptyFolder(folder.Get(), path, keep, depth + 1);
    const int why = errno;
    folder.Reset();
    ::unlinkat(parent, name, AT_REMOVEDIR);  // fails while a kept folder is inside: that is expected
    if (!emptied) errno = why;  // the caller hears why the emptying stopped
    return emptied;
}

}  // namespace

bool IsCanonicalAbsolutePath(std::string_view path) {
    if (path.size() < 2 || path.front() != '/' || path.back() == '/') return false;
    std::size_t start = 1;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        if (!IsPlainName(path.substr(start, end - start))) return false;
        start = end + 1;
    }
    return true;
}

std::string CanonicalEntry(const std::string& path) {
    std::string entry = path;
    while (entry.size() > 1 && entry.back() == '/') entry.pop_back();
    const std::size_t slash = entry.rfind('/');
    if (slash == std::string::npos) return CanonicalChild(".", entry);
    return CanonicalChild(slash == 0 ? "/" : entry.substr(0, slash), entry.substr(slash + 1));
}

std::string CanonicalChild(const std::string& folder, const std::string& name) {
    if (!IsPlainName(name)) return std::string();
    char buffer[PATH_MAX];
    if (!::realpath(folder.empty() ? "." : folder.c_str(), buffer)) return std::string();
    const std::string resolved(buffer);
    return resolved == "/" ? "/" + name : resolved + "/" + name;
}

bool DeleteTree(const std::string& path, const KeepFolder& keep) {
    if (!IsCanonicalAbsolutePath(path)) return false;
    const ParentFolder parent("/", std::string_view(path).substr(1), ParentFolder::Missing::Fail);
    if (parent.Error() != 0) {
        errno = parent.Error();
        return errno == ENOENT;
    }
    const std::string& name = parent.Name();
    struct stat info {};
    if (::fstatat(parent.Descriptor(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) return errno == ENOENT;
    return DeleteEntry(parent.Descriptor(), Entry{name, S_ISDIR(info.st_mode)}, path, keep, 0);
}

}  // namespace Posix
