#pragma once
// A system-wide named mutex, taken with a bounded number of attempts. On Linux it is
// an exclusive flock on a lock file: the kernel drops it when the holder ends, and the
// descriptor is close-on-exec, so programs the holder starts never hold it.
//
// Lock files "<name>.lock" live in the user's own runtime folder (see RuntimePath.h), so
// every name, "Global\..." ones included, is per user: there is no cross-user namespace.
// A lock file that is not the user's own is refused, not waited for: its owner could
// hold it for good.
#include "base/runtime/String.h"

class NamedMutex {
public:
    // Tries to take the mutex; while another process holds it, waits milliseconds and
    // tries again, retries times. Note that the wait also follows the last failed try.
    NamedMutex(const char* name, unsigned milliseconds, unsigned retries);
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;
    ~NamedMutex();

    // The lock file's descriptor while the mutex is owned, else -1.
    int Handle() const { return handle_; }
    bool IsOwned() const { return handle_ >= 0; }
    // Whether the last try found the mutex held by someone else.
    bool AlreadyExists() const { return alreadyExists_; }
    // Whether the last try found no folder of the user's own for the lock file, or a lock
    // file there that is not the user's; nothing is tried again after that.
    bool Refused() const { return refused_; }

    // Gives the mutex up; true when there was one to give up and it closed cleanly.
    bool Close();

    // The lock file of a name: unsafe characters become '_'. "" without a folder of the
    // user's own.
    static String LockFilePath(const char* name);

private:
    int handle_ = -1;
    bool alreadyExists_ = false;
    bool refused_ = false;
};
