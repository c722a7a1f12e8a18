#pragma once
// The millisecond wall clock: the real-time clock read once as an anchor, advanced by
// the monotonic clock, so that it never jumps with changes of the system time.
#include <cstdint>

namespace Clock {
// Milliseconds since 1970-01-01 00:00 UTC.
std::int64_t NowMs();

// Replaces the time source (tests); null restores the system clock.
using Source = std::int64_t (*)();
void SetSource(Source source);
}  // namespace Clock
