#include "platform/ipc/SharedStatusWord.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

StatusWordRead ReadSharedStatusWord(const std::string& name, std::int32_t& value) {
    const int fd = shm_open(name.c_str(), O_RDONLY | O_CLOEXEC, 0);
    if (fd < 0) return errno == ENOENT ? StatusWordRead::Missing : StatusWordRead::Failed;
    // The name is one for the whole machine: any user may have made the object first.
    struct stat info {};
    if (fstat(fd, &info) != 0 || info.st_uid != geteuid()) {
        close(fd);
        return StatusWordRead::Foreign;
    }
    unsigned char bytes[sizeof(std::int32_t)];
    ssize_t got;
    do {
        got = pread(fd, bytes, sizeof bytes, 0);
    } while (got < 0 && errno == EINTR);
    close(fd);
    if (got < 0) return StatusWordRead::Failed;
    if (static_cast<std::size_t>(got) < sizeof bytes) return StatusWordRead::NotWritten;
    // The word is in the writer's byte order, which is ours: it runs on this machine.
    std::memcpy(&value, bytes, sizeof value);
    return StatusWordRead::Read;
}

bool RemoveSharedStatusWord(const std::string& name) { return shm_unlink(name.c_str()) == 0 || errno == ENOENT; }
