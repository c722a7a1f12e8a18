#pragma once
// A handle on a running process (a pidfd): waiting for its end with a bound and
// ending it. The handle follows the process itself, so a recycled process id can
// never make us wait for or kill an unrelated program.
#include <sys/types.h>

enum class WaitResult { Exited, TimedOut, Failed };

class ProcessHandle {
public:
    ProcessHandle() = default;
    ~ProcessHandle();
    ProcessHandle(ProcessHandle&& other) noexcept;
    ProcessHandle& operator=(ProcessHandle&& other) noexcept;
    ProcessHandle(const ProcessHandle&) = delete;
    ProcessHandle& operator=(const ProcessHandle&) = delete;

    // An invalid handle when the process does not exist or cannot be opened.
    static ProcessHandle Open(pid_t pid);

    bool IsValid() const { return fd_ >= 0; }
    pid_t Pid() const { return pid_; }

    // Waits at most timeoutMs for the process to end. For a child of ours the exit is
    // also reaped, and exitCode receives its status (128 + signal for a death by
    // signal, which bySignal tells apart from a plain exit); for other processes both
    // are left alone.
    WaitResult WaitForExit(int timeoutMs, int* exitCode = nullptr, bool* bySignal = nullptr);
    // Sends SIGKILL.
    bool Kill();

private:
    ProcessHandle(int fd, pid_t pid) : fd_(fd), pid_(pid) {}
    void Close();

    int fd_ = -1;
    pid_t pid_ = -1;
};
