#include "support/AnotherUser.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kSetUpFailed = 120;

bool WaitForChild(pid_t pid, int& code) {
    int status = 0;
    pid_t ended;
    do {
        ended = waitpid(pid, &status, 0);
    } while (ended < 0 && errno == EINTR);
    if (ended != pid || !WIFEXITED(status)) return false;
    code = WEXITSTATUS(status);
    return true;
}

}  // namespace

bool CanActAsAnotherUser() { return geteuid() == 0; }

bool GiveToAnotherUser(const std::string& path) { return lchown(path.c_str(), kAnotherUid, kAnotherUid) == 0; }

bool GiveToAnotherUser(int fd) { return fchown(fd, kAnotherUid, kAnotherUid) == 0; }

AnotherUsersLock::AnotherUsersLock(const std::string& path) {
    int ready[2];
    int release[2];
    if (pipe2(ready, O_CLOEXEC) != 0) return;
    if (pipe2(release, O_CLOEXEC) != 0) {
        close(ready[0]);
        close(ready[1]);
        return;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        close(ready[0]);
        close(release[1]);
        if (setgid(kAnotherUid) != 0 || setuid(kAnotherUid) != 0) _exit(kSetUpFailed);
        const int fd = open(path.c_str(), O_CREAT | O_RDWR | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0 || flock(fd, LOCK_EX | LOCK_NB) != 0) _exit(kSetUpFailed);
        const char held = 1;
        if (write(ready[1], &held, 1) != 1) _exit(kSetUpFailed);
        char ignored;
        while (read(release[0], &ignored, 1) > 0) {
        }
        _exit(0);
    }
    close(ready[1]);
    close(release[0]);
    char held = 0;
    pollfd answer{ready[0], POLLIN, 0};
    const bool holds = pid > 0 && poll(&answer, 1, 10000) == 1 && read(ready[0], &held, 1) == 1 && held == 1;
    close(ready[0]);
    if (pid > 0 && !holds) {
        close(release[1]);
        int code = 0;
        WaitForChild(pid, code);
        return;
    }
    if (pid > 0) {
        pid_ = pid;
        release_ = release[1];
    } else {
        close(release[1]);
    }
}

AnotherUsersLock::~AnotherUsersLock() {
    if (pid_ <= 0) return;
    close(release_);
    int code = 0;
    WaitForChild(pid_, code);
}

int RunWithPrivateTmp(const std::function<int()>& body) {
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        // Private mounts first, or the tmpfs would show in the machine's namespace.
        if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("tmpfs", "/tmp", "tmpfs", MS_NOSUID | MS_NODEV, "mode=1777,size=16m") != 0)
            _exit(kSetUpFailed);
        _exit(body());
    }
    int code = 0;
    if (!WaitForChild(pid, code) || code == kSetUpFailed) return -1;
    return code;
}
