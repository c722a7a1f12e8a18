#pragma once
// Window timers. Each tick fires OnTick with the milliseconds since the previous
// delivered tick (or since the start). A tick that arrives while another one is being
// delivered (a listener runs a nested loop, such as a message box) is dropped.
#include <cstdint>

#include "base/runtime/Event.h"
#include "base/runtime/RefCounter.h"
#include "platform/TimerHost.h"

class ITimer : public RefCounter {
public:
    Event<std::int64_t> OnTick;

    virtual bool Start(int milliseconds) = 0;
    virtual bool Stop() = 0;
    virtual bool IsStopped() const = 0;
};

class Timer final : public ITimer {
public:
    // A new stopped timer; the caller's RefPtr takes the first reference. The host
    // must outlive the timer.
    static Timer* Create(int id, TimerHost* host);

    // False when already running, or when the host could not arm it.
    bool Start(int milliseconds) override;
    bool Stop() override;
    bool IsStopped() const override { return running_ == 0; }

    int Id() const { return id_; }

    // Called by the host on every expiry of the source it armed for a timer.
    static void TimerProc(std::uint64_t timerSerial);

    // Live and dead entries of the process-wide timer list (tests and diagnostics).
    static std::size_t ListedTimers();

private:
    Timer(int id, TimerHost* host);
    ~Timer() override;

    int id_;
    TimerHost* host_;
    std::uint64_t serial_;
    std::uintptr_t running_ = 0;
    std::int64_t last_ = 0;
};
