#include "platform/process/ProcessHandle.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int OpenPidFd(pid_t pid) { return static_cast<int>(syscall(SYS_pidfd_open, pid, 0)); }

long long MonotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

}  // namespace

ProcessHandle::~ProcessHandle() { Close(); }

ProcessHandle::ProcessHandle(ProcessHandle&& other) noexcept : fd_(other.fd_), pid_(other.pid_) {
    other.fd_ = -1;
    other.pid_ = -1;
}

ProcessHandle& ProcessHandle::operator=(ProcessHandle&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = other.fd_;
        pid_ = other.pid_;
        other.fd_ = -1;
        other.pid_ = -1;
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

WaitResult ProcessHandle::WaitForExit(int timeoutMs, int* exitCode, bool* bySignal) {
    if (fd_ < 0) return WaitResult::Failed;
    const long long deadline = MonotonicMs() + (timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        pollfd entry{fd_, POLLIN, 0};
        const long long left = deadline - MonotonicMs();
        const int ready = poll(&entry, 1, left > 0 ? static_cast<int>(left) : 0);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return WaitResult::Failed;
        if (ready == 0) return WaitResult::TimedOut;
        break;
    }
    // Reap it when it is our child; ECHILD means someone else's process.
    siginfo_t info{};
    if (waitid(P_PIDFD, static_cast<id_t>(fd_), &info, WEXITED | WNOHANG) == 0 && info.si_pid != 0) {
        const bool signalled = info.si_code != CLD_EXITED;
        if (exitCode) *exitCode = signalled ? 128 + info.si_status : info.si_status;
        if (bySignal) *bySignal = signalled;
    }
    return WaitResult::Exited;
}

bool ProcessHandle::Kill() {
    if (fd_ < 0) return false;
    return syscall(SYS_pidfd_send_signal, fd_, SIGKILL, nullptr, 0) == 0;
}
