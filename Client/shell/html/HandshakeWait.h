#pragma once
// The bounded wait for the page's answer to "AppReady". The page runs in its own
// process, so its answer may come after the event's call has returned.
#include <cstdint>
#include <functional>

#include "base/runtime/RefCounter.h"
#include "base/runtime/Timer.h"

class HandshakeWait final : public RefCounter {
public:
    static constexpr int kTimerId = 666;

    // onExpired runs once, when the wait ends unanswered.
    static HandshakeWait* Create(TimerHost* host, std::function<void()> onExpired);

    bool Start(int milliseconds);
    void Cancel();
    bool IsWaiting() const { return timer_ && !timer_->IsStopped(); }

private:
    HandshakeWait(TimerHost* host, std::function<void()> onExpired);
    ~HandshakeWait() override;
    bool OnTick(std::int64_t elapsedMs);

    RefPtr<Timer> timer_;
    std::function<void()> onExpired_;
};
