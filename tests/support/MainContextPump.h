#pragma once
// Turns the default main context until a condition holds, at most a bounded number
// of times, without blocking: headless work is queued as idle sources.
#include <functional>

#include <glib.h>

inline bool PumpUntil(const std::function<bool()>& done, int maxTurns = 1000) {
    for (int i = 0; i < maxTurns; ++i) {
        if (done()) return true;
        g_main_context_iteration(nullptr, FALSE);
    }
    return done();
}

// Runs every pending source of the default context (bounded).
inline void PumpPending(int maxTurns = 1000) {
    for (int i = 0; i < maxTurns && g_main_context_pending(nullptr); ++i) g_main_context_iteration(nullptr, FALSE);
}
