#pragma once
// One launcher at a time per user. The first one holds the mutex "Global\Launcher"
// for its whole run; while its window exists it listens on a socket in the user's
// own runtime folder, and a later start that cannot take the mutex sends it one "raise"
// line there (bounded, so a hung first instance cannot hang the second) and ends. A lock
// that another user could hold (no folder of the user's own, a lock file of another user)
// is refused with a message, and the launcher ends.
#include <memory>
#include <string>

#include "base/runtime/NamedMutex.h"
#include "base/runtime/RefCounter.h"
#include "platform/ipc/LocalLineServer.h"

constexpr char kInstanceMutexName[] = "Global\\Launcher";
constexpr unsigned kInstanceMutexWaitMs = 500;
constexpr unsigned kInstanceMutexRetries = 2;
constexpr int kHandOverTimeoutMs = 1000;

// The socket of the running instance's window.
std::string InstanceSocketPath();

// What the running instance's window does when a later start asks: restore itself
// and come to the front.
class IPresentable {
public:
    virtual ~IPresentable() = default;
    virtual void Present() = 0;
};

// The running instance's end of the hand-over, owned by its window for as long as
// the window exists.
class LauncherMapFile : public RefCounter {
public:
    // Listens for later starts and presents window on each "raise". The caller must
    // hold the single-instance mutex. Null for a null window or when the socket
    // cannot be set up.
    static RefPtr<LauncherMapFile> Create(IPresentable* window);

private:
    std::unique_ptr<LocalLineServer> server_;
};

// Asks the running instance to present itself; false when none answered.
bool HandOverToRunningInstance(int timeoutMs = kHandOverTimeoutMs);

// Takes the single-instance mutex (two attempts, 500 ms apart). When another launcher
// holds it, hands over to that one and returns null; when the lock is refused, says why
// in a message box and returns null.
std::unique_ptr<NamedMutex> TakeSingleInstance();

// What the player is told when the mutex is refused: the folder or lock file to remove.
WideString RefusedLockMessage();
