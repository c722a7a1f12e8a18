#include "platform/posix/ParentFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace Posix {

namespace {

constexpr int kFolderFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;

// The folder name inside parent, made when it is missing and asked to; -1 with errno.
int OpenChild(int parent, const std::string& name, ParentFolder::Missing missing) {
    const int fd = ::openat(parent, name.c_str(), kFolderFlags | O_NOFOLLOW);
    if (fd >= 0 || errno != ENOENT || missing == ParentFolder::Missing::Fail) return fd;
    // Another writer may make it first: then it is opened as found, under the same rule.
    if (::mkdirat(parent, name.c_str(), 0777) != 0 && errno != EEXIST) return -1;
    return ::openat(parent, name.c_str(), kFolderFlags | O_NOFOLLOW);
}

}  // namespace

ParentFolder::ParentFolder(const std::string& root, std::string_view relative, Missing missing) {
    std::size_t end = relative.rfind('/');
    name_ = std::string(end == std::string_view::npos ? relative : relative.substr(end + 1));
    if (name_.empty() || name_ == "." || name_ == "..") {
        error_ = EINVAL;
        return;
    }
    const char* const rootPath = root.empty() ? "." : root.c_str();
    fd_.Reset(::open(rootPath, kFolderFlags));
    if (!fd_.Valid() && errno == ENOENT && missing == Missing::Create) {
        // The root is the caller's own, links in its path included.
        std::error_code error;
        std::filesystem::create_directories(rootPath, error);
        fd_.Reset(::open(rootPath, kFolderFlags));
    }
    if (!fd_.Valid()) {
        error_ = errno;
        return;
    }
    const std::string_view folders = end == std::string_view::npos ? std::string_view() : relative.substr(0, end);
    for (std::size_t start = 0; start < folders.size(); start = end + 1) {
        end = folders.find('/', start);
        if (end == std::string_view::npos) end = folders.size();
        const std::string name(folders.substr(start, end - start));
        if (name.empty()) continue;
        int next = -1;
        if (name == "." || name == "..")
            errno = EINVAL;
        else
            next = OpenChild(fd_.Get(), name, missing);
        if (next < 0) {
            error_ = errno;
            fd_.Reset();
            return;
        }
        fd_.Reset(next);
    }
}

std::string ParentFolder::EntryPath() const {
    if (!fd_.Valid()) return std::string();
    return "/proc/self/fd/" + std::to_string(fd_.Get()) + "/" + name_;
}

}  // namespace Posix
