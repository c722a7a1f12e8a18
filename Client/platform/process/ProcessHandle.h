#pragma once
// A handle on a running process (a pidfd): asking whether it still runs, waiting for
// its end with a bound, and ending it. The handle follows the process itself, so a
// recycled process id can never make us wait for or kill an unrelated program.
#include <sys/types.h>

enum class WaitResult { Exited, TimedOut, Failed };
enum class ProcessState { Running, Ended, Failed };

// How a child of ours ended.
struct ExitStatus {
    bool bySignal = false;
    int value = 0;  // the exit code, or the number of the signal that ended it

    // Ended by a signal, or by the loader's "cannot execute" (127): it never ran its course.
    bool IsCrash() const { return bySignal || value == 127; }
    // The shell's convention: the code, or 128 + the signal.
    int ShellCode() const { return bySignal ? 128 + value : value; }
};

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
    // The pidfd, readable once the process has ended; -1 for an invalid handle.
    int Descriptor() const { return fd_; }

    // Without waiting. A child of ours that has ended is reaped here, and its status
    // is kept for EndedStatus.
    ProcessState Poll();
    // How a child of ours ended, once it has been reaped; null before, and for other
    // processes.
    const ExitStatus* EndedStatus() const { return reaped_ ? &status_ : nullptr; }
    // Waits at most timeoutMs for the process to end. For a child of ours the exit is
    // also reaped, and exitCode receives ExitStatus::ShellCode; for other processes
    // exitCode is left alone.
    WaitResult WaitForExit(int timeoutMs, int* exitCode = nullptr);
    // Sends SIGKILL.
    bool Kill();

private:
    ProcessHandle(int fd, pid_t pid) : fd_(fd), pid_(pid) {}
    void Close();
    // Reaps an ended child of ours; false when it still runs or is not our child.
    bool Reap();

    int fd_ = -1;
    pid_t pid_ = -1;
    bool reaped_ = false;
    ExitStatus status_;
};
