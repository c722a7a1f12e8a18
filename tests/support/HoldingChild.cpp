#include "support/HoldingChild.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace {

constexpr int kAnswerMs = 10000;

}  // namespace

HoldingChild::HoldingChild(const std::function<bool()>& take) {
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
        const char held = take() ? 1 : 0;
        if (write(ready[1], &held, 1) != 1 || !held) _exit(2);
        char ignored;
        while (read(release[0], &ignored, 1) > 0) {
        }
        _exit(0);
    }
    close(ready[1]);
    close(release[0]);
    char held = 0;
    pollfd answer{ready[0], POLLIN, 0};
    const bool holds = pid > 0 && poll(&answer, 1, kAnswerMs) == 1 && read(ready[0], &held, 1) == 1 && held == 1;
    close(ready[0]);
    if (!holds) {
        close(release[1]);
        int code = 0;
        // A take that never answered may hang there.
        if (pid > 0 && kill(pid, SIGKILL) == 0) WaitForChildExit(pid, code);
        return;
    }
    pid_ = pid;
    release_ = release[1];
}

HoldingChild::~HoldingChild() { Release(); }

bool HoldingChild::Release() {
    if (pid_ <= 0) return false;
    close(release_);
    release_ = -1;
    int code = -1;
    const bool ended = WaitForChildExit(pid_, code);
    pid_ = -1;
    return ended && code == 0;
}

bool WaitForChildExit(pid_t pid, int& code) {
    int status = 0;
    pid_t ended;
    do {
        ended = waitpid(pid, &status, 0);
    } while (ended < 0 && errno == EINTR);
    if (ended != pid || !WIFEXITED(status)) return false;
    code = WEXITSTATUS(status);
    return true;
}
