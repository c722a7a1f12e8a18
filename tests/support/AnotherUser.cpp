#include "support/AnotherUser.h"

#include <cerrno>
#include <fcntl.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kSetUpFailed = 120;

}  // namespace

bool CanActAsAnotherUser() { return geteuid() == 0; }

bool GiveToAnotherUser(const std::string& path) { return lchown(path.c_str(), kAnotherUid, kAnotherUid) == 0; }

bool GiveToAnotherUser(int fd) { return fchown(fd, kAnotherUid, kAnotherUid) == 0; }

AnotherUsersLock::AnotherUsersLock(const std::string& path)
    : holder_([&] {
          if (setgid(kAnotherUid) != 0 || setuid(kAnotherUid) != 0) return false;
          const int fd = open(path.c_str(), O_CREAT | O_RDWR | O_NOFOLLOW | O_CLOEXEC, 0644);
          return fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0;
      }) {}

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
    if (!WaitForChildExit(pid, code) || code == kSetUpFailed) return -1;
    return code;
}
