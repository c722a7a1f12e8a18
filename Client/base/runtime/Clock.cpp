#include "base/runtime/Clock.h"

#include <time.h>

#include <atomic>

namespace {

std::int64_t ReadMs(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

std::int64_t SystemNowMs() {
    static const std::int64_t anchor = ReadMs(CLOCK_REALTIME) - ReadMs(CLOCK_MONOTONIC);
    return ReadMs(CLOCK_MONOTONIC) + anchor;
}

std::atomic<Clock::Source> g_source{nullptr};

}  // namespace

namespace Clock {

std::int64_t NowMs() {
    const Source source = g_source.load(std::memory_order_relaxed);
    return source ? source() : SystemNowMs();
}

void SetSource(Source source) { g_source.store(source, std::memory_order_relaxed); }

}  // namespace Clock
