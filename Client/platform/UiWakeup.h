#pragma once
// A wake-up of the UI thread from any thread: Notify may be called from a worker (a
// library's own thread), and the callback then runs soon on the UI loop. Notifications
// that pile up before it runs give one call.
#include <functional>
#include <memory>

class UiWakeup {
public:
    virtual ~UiWakeup() = default;
    // Thread-safe, never blocks.
    virtual void Notify() = 0;
};

// On the program's main loop (the default GLib context); null when it cannot be made.
// The callback runs on the UI thread until the object goes.
std::shared_ptr<UiWakeup> MakeUiWakeup(std::function<void()> callback);
