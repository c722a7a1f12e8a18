#include "platform/posix/RegularFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace Posix {

namespace {

int OpenChecked(const char* path, int flags, mode_t mode, struct stat* info) {
    int fd;
    do {
        fd = ::open(path, flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, mode);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return -1;
    struct stat status {};
    int error = 0;
    if (::fstat(fd, &status) != 0) error = errno;
    else if (!S_ISREG(status.st_mode)) error = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
    if (error != 0) {
        ::close(fd);
        errno = error;
        return -1;
    }
    if (info) *info = status;
    return fd;
}

// read() until count bytes or the end; the count read, or -1.
ssize_t ReadUpTo(int fd, char* destination, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = ::read(fd, destination + done, count - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return -1;
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return static_cast<ssize_t>(done);
}

}  // namespace

int OpenRegularFile(const char* path, Links links, struct stat* info) {
    return OpenChecked(path, O_RDONLY | (links == Links::Refuse ? O_NOFOLLOW : 0), 0, info);
}

ReadOutcome ReadRegularFile(const char* path, Links links, std::size_t cap, std::string& bytes) {
    bytes.clear();
    struct stat info {};
    const int fd = OpenRegularFile(path, links, &info);
    if (fd < 0) return ReadOutcome::Failed;
    // The size is a hint only: the file may grow or shrink while it is read.
    const std::size_t hint = static_cast<std::size_t>(info.st_size);
    bool failed = false;
    bool ended = false;
    while (!ended && bytes.size() < cap) {
        const std::size_t left = cap - bytes.size();
        const std::size_t want = std::min(left, std::max<std::size_t>(hint > bytes.size() ? hint - bytes.size() : 0, 65536));
        const std::size_t before = bytes.size();
        bytes.resize(before + want);
        const ssize_t got = ReadUpTo(fd, bytes.data() + before, want);
        failed = got < 0;
        bytes.resize(before + (failed ? 0 : static_cast<std::size_t>(got)));
        ended = failed || static_cast<std::size_t>(got) < want;
    }
    char probe;
    const bool cut = !failed && !ended && ReadUpTo(fd, &probe, 1) == 1;
    ::close(fd);
    if (failed) {
        bytes.clear();
        return ReadOutcome::Failed;
    }
    return cut ? ReadOutcome::Cut : ReadOutcome::Whole;
}

int OpenRegularFileToWrite(const char* path, int flags, mode_t mode) {
    return OpenChecked(path, flags | O_NOFOLLOW, mode, nullptr);
}

}  // namespace Posix
