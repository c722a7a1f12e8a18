#include "support/ManualTimerHost.h"

#include <algorithm>

#include "base/runtime/Clock.h"
#include "base/runtime/Timer.h"

namespace {
std::int64_t g_now = 1'000'000;
std::int64_t FakeNow() { return g_now; }
}  // namespace

ManualTimerHost::ManualTimerHost() { Clock::SetSource(&FakeNow); }

ManualTimerHost::~ManualTimerHost() { Clock::SetSource(nullptr); }

std::uintptr_t ManualTimerHost::Arm(std::uint64_t timerSerial, int milliseconds) {
    if (failNextArm_) {
        failNextArm_ = false;
        return 0;
    }
    const std::int64_t period = std::max(milliseconds, 1);
    sources_.push_back({nextHandle_, timerSerial, period, g_now + period});
    return nextHandle_++;
}

bool ManualTimerHost::Disarm(std::uintptr_t handle) {
    const auto found = std::find_if(sources_.begin(), sources_.end(), [&](const Source& s) { return s.handle == handle; });
    if (found == sources_.end()) return false;
    sources_.erase(found);
    return true;
}

void ManualTimerHost::Advance(std::int64_t milliseconds) {
    const std::int64_t target = g_now + milliseconds;
    for (;;) {
        auto next = std::min_element(sources_.begin(), sources_.end(),
                                     [](const Source& a, const Source& b) { return a.due < b.due; });
        if (next == sources_.end() || next->due > target) break;
        g_now = std::max(g_now, next->due);
        next->due += next->period;
        const std::uint64_t serial = next->serial;
        Timer::TimerProc(serial);
    }
    g_now = std::max(g_now, target);
}
