#include "platform/process/ProcessHandle.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace {

int OpenPidFd(pid_t pid) { return static_cast<int>(syscall(SYS_pidfd_open, pid, 0)); }

long long MonotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// 1 when the pidfd is readable (the process has ended), 0 on time-out, -1 on error.
int WaitReadable(int fd, int timeoutMs) {
    const long long deadline = MonotonicMs() + (timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        pollfd entry{fd, POLLIN, 0};
        const long long left = deadline - MonotonicMs();
        const int ready = poll(&entry, 1, left > 0 ? static_cast<int>(left) : 0);
        if (ready < 0 && errno == EINTR) continue;
        return ready < 0 ? -1 : (ready > 0 ? 1 : 0);
    }
}

}  // namespace

ProcessHandle::~ProcessHandle() { Close(); }

ProcessHandle::ProcessHandle(ProcessHandle&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      pid_(std::exchange(other.pid_, -1)),
      reaped_(std::exchange(other.reaped_, false)),
      status_(other.status_) {}

ProcessHandle& ProcessHandle::operator=(ProcessHandle&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        pid_ = std::exchange(other.pid_, -1);
        reaped_ = std::exchange(other.reaped_, false);
        status_ = other.status_;
    }
    return *this;
}

void ProcessHandle::Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

ProcessHandle ProcessHandle::Open(pid_t pid) {
    if (pid <= 0) return {};
    const int fd = OpenPidFd(pid);  // pidfds are close-on-exec by design
    if (fd < 0) return {};
    return ProcessHandle(fd, pid);
}

bool ProcessHandle::Reap() {
    if (reaped_) return true;
    siginfo_t info{};
    // ECHILD: someone else's process, or a child already reaped elsewhere.
    if (waitid(P_PIDFD, static_cast<id_t>(fd_), &info, WEXITED | WNOHANG) != 0 || info.si_pid == 0) return false;
    reaped_ = true;
    status_.bySignal = info.si_code != CLD_EXITED;
    status_.value = info.si_status;
    return true;
}

ProcessState ProcessHandle::Poll() {
    if (fd_ < 0) return ProcessState::Failed;
    if (Reap()) return ProcessState::Ended;
    const int ended = WaitReadable(fd_, 0);
    if (ended < 0) return ProcessState::Failed;
    if (!ended) return ProcessState::Running;
    // It may have ended between the two looks: reap it now, or its status is lost and a
    // child nobody waits for stays a zombie.
    Reap();
    return ProcessState::Ended;
}

WaitResult ProcessHandle::WaitForExit(int timeoutMs, int* exitCode) {
    if (fd_ < 0) return WaitResult::Failed;
    if (!reaped_) {
        const int ended = WaitReadable(fd_, timeoutMs);
        if (ended < 0) return WaitResult::Failed;
        if (ended == 0) return WaitResult::TimedOut;
    }
    if (Reap() && exitCode) *exitCode = status_.ShellCode();
    return WaitResult::Exited;
}

bool ProcessHandle::Kill() {
    if (fd_ < 0 || reaped_) return false;
    return syscall(SYS_pidfd_send_signal, fd_, SIGKILL, nullptr, 0) == 0;
}
