#pragma once
// Where window timers come from: the program arms GLib timeout sources, tests a
// manual host that they advance by hand. Each armed source belongs to one timer and
// reports its expiries with that timer's serial.
#include <cstdint>

class TimerHost {
public:
    // Receives the serial of the timer whose source expired.
    using Dispatch = void (*)(std::uint64_t timerSerial);

    virtual ~TimerHost() = default;

    // Arms a repeating source of the given period; 0 when it could not be armed.
    virtual std::uintptr_t Arm(std::uint64_t timerSerial, int milliseconds) = 0;
    virtual bool Disarm(std::uintptr_t handle) = 0;
};
