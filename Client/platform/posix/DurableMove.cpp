#include "platform/posix/DurableMove.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

void SyncPath(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

bool CopyAll(int in, int out) {
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got == 0) return true;
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(out, buffer + done, static_cast<std::size_t>(got - done));
            if (put < 0) {
                if (errno == EINTR) continue;
                return false;
            }
            done += put;
        }
    }
}

// Another file system: a full copy next to the target, renamed over it, then the
// source goes.
bool CopyAcross(const std::string& from, const std::string& to) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    struct stat info;
    if (::fstat(in, &info) != 0) {
        ::close(in);
        return false;
    }
    std::string temporary = to + ".partXXXXXX";
    const int out = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (out < 0) {
        const int saved = errno;
        ::close(in);
        errno = saved;
        return false;
    }
    bool ok = CopyAll(in, out) && ::fchmod(out, info.st_mode & 07777) == 0 && ::fsync(out) == 0;
    int saved = errno;
    ::close(in);
    if (::close(out) != 0 && ok) {
        ok = false;
        saved = errno;
    }
    if (ok && ::rename(temporary.c_str(), to.c_str()) != 0) {
        ok = false;
        saved = errno;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        errno = saved;
        return false;
    }
    SyncPath(FolderOf(to), O_DIRECTORY);
    ::unlink(from.c_str());
    SyncPath(FolderOf(from), O_DIRECTORY);
    return true;
}

}  // namespace

bool MoveFileDurably(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) {
        if (errno != EXDEV) return false;
        return CopyAcross(from, to);
    }
    SyncPath(to, 0);
    SyncPath(FolderOf(to), O_DIRECTORY);
    const std::string source = FolderOf(from);
    if (source != FolderOf(to)) SyncPath(source, O_DIRECTORY);
    return true;
}
