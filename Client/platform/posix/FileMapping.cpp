#include "platform/posix/FileMapping.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/posix/RegularFile.h"

namespace Posix {

int OpenFile(const char* path, bool write) {
    // A file written is never reached through a link; a file read may be.
    return write ? OpenRegularFileToWrite(path, O_RDWR | O_CREAT, 0644) : OpenRegularFile(path, Links::Follow);
}

void CloseFile(int fd) {
    if (fd >= 0) ::close(fd);
}

std::int64_t FileSize(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) return -1;
    return static_cast<std::int64_t>(info.st_size);
}

bool ResizeFile(int fd, std::uint64_t size) {
    const std::int64_t current = FileSize(fd);
    if (current < 0 || size > static_cast<std::uint64_t>(INT64_MAX)) return false;
    if (size > static_cast<std::uint64_t>(current)) {
        const int error = ::posix_fallocate(fd, current, static_cast<off_t>(size - static_cast<std::uint64_t>(current)));
        // File systems without fallocate support still get the size; the rest fail here.
        if (error != 0 && error != EOPNOTSUPP && error != EINVAL) return false;
    }
    return ::ftruncate(fd, static_cast<off_t>(size)) == 0;
}

bool TouchFile(int fd) { return ::futimens(fd, nullptr) == 0; }

std::int64_t ReadAt(int fd, void* destination, std::size_t length, std::uint64_t offset) {
    auto* out = static_cast<unsigned char*>(destination);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t got = ::pread(fd, out + done, length - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return -1;
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return static_cast<std::int64_t>(done);
}

bool WriteAll(int fd, const void* data, std::size_t length) {
    const auto* in = static_cast<const unsigned char*>(data);
    while (length > 0) {
        const ssize_t put = ::write(fd, in, length);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        in += put;
        length -= static_cast<std::size_t>(put);
    }
    return true;
}

bool CopyAll(int from, int to) {
    std::vector<unsigned char> buffer(1 << 20);
    for (;;) {
        const ssize_t got = ::read(from, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) return true;
        if (!WriteAll(to, buffer.data(), static_cast<std::size_t>(got))) return false;
    }
}

bool SyncFile(int fd) { return ::fdatasync(fd) == 0; }

void* MapRange(int fd, std::uint64_t offset, std::size_t length, bool writable) {
    if (length == 0) return nullptr;
    const int protection = writable ? (PROT_READ | PROT_WRITE) : PROT_READ;
    void* view = ::mmap(nullptr, length, protection, MAP_SHARED, fd, static_cast<off_t>(offset));
    return view == MAP_FAILED ? nullptr : view;
}

void UnmapRange(void* address, std::size_t length) {
    if (address && length) ::munmap(address, length);
}

bool FlushRange(void* address, std::size_t length) {
    return !address || !length || ::msync(address, length, MS_SYNC) == 0;
}

}  // namespace Posix
