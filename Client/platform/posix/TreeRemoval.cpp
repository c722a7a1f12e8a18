#include "platform/posix/TreeRemoval.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// Deeper than any game tree; a deeper one planted to exhaust the stack is left.
constexpr int kMaxDepth = 128;

int RemoveAt(int folder, const char* name, int depth);

// Everything in the open folder; takes the descriptor.
int RemoveContents(int fd, int depth) {
    DIR* listing = ::fdopendir(fd);
    if (!listing) {
        const int error = errno;
        ::close(fd);
        return error;
    }
    int first = 0;
    errno = 0;
    while (const dirent* entry = ::readdir(listing)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            const int error = RemoveAt(::dirfd(listing), entry->d_name, depth);
            if (first == 0) first = error;
        }
        errno = 0;
    }
    if (first == 0) first = errno;
    ::closedir(listing);
    return first;
}

int RemoveAt(int folder, const char* name, int depth) {
    struct stat info {};
    if (::fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) != 0) return errno == ENOENT ? 0 : errno;
    if (!S_ISDIR(info.st_mode)) return ::unlinkat(folder, name, 0) == 0 || errno == ENOENT ? 0 : errno;
    if (depth >= kMaxDepth) return ELOOP;
    // A folder turned into a link since the fstatat fails here (ELOOP or ENOTDIR).
    const int fd = ::openat(folder, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return errno;
    const int error = RemoveContents(fd, depth + 1);
    if (::unlinkat(folder, name, AT_REMOVEDIR) == 0 || errno == ENOENT) return error;
    return error != 0 ? error : errno;
}

}  // namespace

int RemoveTree(const std::string& path) {
    std::string own = path;
    while (own.size() > 1 && own.back() == '/') own.pop_back();
    const std::size_t slash = own.rfind('/');
    const std::string parent = slash == std::string::npos ? "." : slash == 0 ? "/" : own.substr(0, slash);
    const std::string name = slash == std::string::npos ? own : own.substr(slash + 1);
    if (name.empty() || name == "." || name == ".." || name == "/") return EINVAL;
    const int folder = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) return errno == ENOENT ? 0 : errno;
    const int error = RemoveAt(folder, name.c_str(), 0);
    ::close(folder);
    return error;
}
