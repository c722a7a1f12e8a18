#pragma once
// Window timers as GLib timeout sources on the default main context, the one loop
// that the window, the page and every timer of the program share.
#include "platform/TimerHost.h"

class GlibTimerHost final : public TimerHost {
public:
    explicit GlibTimerHost(Dispatch dispatch) : dispatch_(dispatch) {}

    std::uintptr_t Arm(std::uint64_t timerSerial, int milliseconds) override;
    bool Disarm(std::uintptr_t handle) override;

private:
    Dispatch dispatch_;
};
