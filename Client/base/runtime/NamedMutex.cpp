#include "base/runtime/NamedMutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/ipc/RuntimePath.h"

namespace {

constexpr std::size_t kMaxNameBytes = 200;

String SanitisedName(const char* name) {
    String safe;
    for (const char* p = name; *p && safe.Length() < kMaxNameBytes; ++p) {
        const char c = *p;
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '_' || (c == '.' && !safe.IsEmpty());
        safe.Append(plain ? c : '_');
    }
    if (safe.IsEmpty()) safe = "_";
    return safe;
}

enum class Attempt { owned, busy, refused, failed };

Attempt TryLock(const String& path, int& fd) {
    if (path.IsEmpty()) return Attempt::refused;
    fd = ::open(path.CStr(), O_CREAT | O_RDWR | O_NOFOLLOW | O_CLOEXEC, 0600);
    // In a folder of our own, a file we may not open, or a link, was put there by someone else.
    if (fd < 0) return errno == EACCES || errno == EPERM || errno == ELOOP ? Attempt::refused : Attempt::failed;
    // Whoever owns the file could hold the lock for good.
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
        ::close(fd);
        fd = -1;
        return Attempt::refused;
    }
    int result;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result == 0) return Attempt::owned;
    const Attempt attempt = errno == EWOULDBLOCK ? Attempt::busy : Attempt::failed;
    ::close(fd);
    fd = -1;
    return attempt;
}

}  // namespace

String NamedMutex::LockFilePath(const char* name) {
    return String(RuntimeObjectPath(SanitisedName(name ? name : "").Std(), "lock").c_str());
}

NamedMutex::NamedMutex(const char* name, unsigned milliseconds, unsigned retries) {
    const String path = LockFilePath(name);
    for (;;) {
        const Attempt attempt = TryLock(path, handle_);
        if (attempt == Attempt::owned) {
            alreadyExists_ = false;
            return;
        }
        if (attempt == Attempt::busy) alreadyExists_ = true;
        refused_ = attempt == Attempt::refused;
        if (retries == 0 || refused_) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        --retries;
    }
}

NamedMutex::~NamedMutex() { Close(); }

bool NamedMutex::Close() {
    if (handle_ < 0) return false;
    const int fd = handle_;
    handle_ = -1;
    return ::close(fd) == 0;
}
