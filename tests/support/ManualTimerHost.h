#pragma once
// A timer host for tests: time moves only when the test advances it. It also owns the
// clock while it lives, so elapsed times are exactly the advanced amounts.
#include <cstdint>
#include <vector>

#include "platform/TimerHost.h"

class ManualTimerHost final : public TimerHost {
public:
    ManualTimerHost();
    ~ManualTimerHost() override;

    std::uintptr_t Arm(std::uint64_t timerSerial, int milliseconds) override;
    bool Disarm(std::uintptr_t handle) override;

    // Moves the clock forward, delivering every expiry on the way in time order. May
    // be called from inside a tick (a nested loop).
    void Advance(std::int64_t milliseconds);

    void FailNextArm() { failNextArm_ = true; }
    std::size_t ArmedCount() const { return sources_.size(); }

private:
    struct Source {
        std::uintptr_t handle;
        std::uint64_t serial;
        std::int64_t period;
        std::int64_t due;
    };

    std::vector<Source> sources_;
    std::uintptr_t nextHandle_ = 1;
    bool failNextArm_ = false;
};
