#include "engine/gamedata/GameFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/io/Path.h"
#include "platform/posix/RegularFile.h"

namespace Game {
namespace {

String DiskForm(const String& path) {
    String disk = path;
    Path::ReplaceChar(disk, '\\', '/');
    return disk;
}

}  // namespace

GameFile::~GameFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool GameFile::OpenExact(const String& path) {
    struct stat info {};
    const int fd = Posix::OpenRegularFile(path.CStr(), Posix::Links::Follow, &info);
    if (fd < 0) return false;
    fd_ = fd;
    size_ = static_cast<std::uint64_t>(info.st_size);
    return true;
}

bool GameFile::Open(const String& path) {
    if (fd_ >= 0) return false;
    const String disk = DiskForm(path);
    if (OpenExact(disk)) return true;
    if (errno != ENOENT && errno != ENOTDIR) return false;
    String resolved;
    return Path::ResolveCase(disk, resolved) && !resolved.Equals(disk) && OpenExact(resolved);
}

std::size_t GameFile::ReadAt(std::uint64_t offset, void* destination, std::size_t length) {
    auto* out = static_cast<unsigned char*>(destination);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t got = ::pread(fd_, out + done, length - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

void GameFile::AdviseSequential() { ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL); }

void GameFile::Prefetch(std::uint64_t offset, std::uint64_t length) {
    ::posix_fadvise(fd_, static_cast<off_t>(offset), static_cast<off_t>(length), POSIX_FADV_WILLNEED);
}

bool IsGameFolder(const String& path) {
    const String disk = DiskForm(path);
    struct stat info {};
    if (::stat(disk.CStr(), &info) == 0) return S_ISDIR(info.st_mode);
    String resolved;
    return Path::ResolveCase(disk, resolved) && ::stat(resolved.CStr(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace Game
