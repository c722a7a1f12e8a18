#include "base/runtime/NamedMutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "base/runtime/StrUtil.h"

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

bool IsUsableRuntimeDir(const char* dir) {
    struct stat info;
    return dir && dir[0] == '/' && ::stat(dir, &info) == 0 && S_ISDIR(info.st_mode);
}

enum class Attempt { owned, busy, failed };

Attempt TryLock(const String& path, int& fd) {
    fd = ::open(path.CStr(), O_CREAT | O_RDWR | O_NOFOLLOW | O_CLOEXEC, 0600);
    // A lock file made by someone else may be read-only to us; flock needs no write access.
    if (fd < 0 && errno == EACCES) fd = ::open(path.CStr(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return Attempt::failed;
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
    const String safe = SanitisedName(name ? name : "");
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    if (IsUsableRuntimeDir(runtimeDir)) return StrUtil::Format("%s/%s.lock", runtimeDir, safe.CStr());
    return StrUtil::Format("/tmp/%s-%u.lock", safe.CStr(), static_cast<unsigned>(::getuid()));
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
        if (retries == 0) return;
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
