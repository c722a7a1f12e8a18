#include "platform/glib/GlibTimerHost.h"

#include <glib.h>

namespace {
struct ArmedSource {
    TimerHost::Dispatch dispatch;
    std::uint64_t serial;
};

gboolean OnTimeout(gpointer data) {
    const auto* armed = static_cast<const ArmedSource*>(data);
    armed->dispatch(armed->serial);
    return G_SOURCE_CONTINUE;
}

void FreeArmed(gpointer data) { delete static_cast<ArmedSource*>(data); }
}  // namespace

std::uintptr_t GlibTimerHost::Arm(std::uint64_t timerSerial, int milliseconds) {
    if (milliseconds < 0 || !dispatch_) return 0;
    auto* armed = new ArmedSource{dispatch_, timerSerial};
    return g_timeout_add_full(G_PRIORITY_DEFAULT, static_cast<guint>(milliseconds), &OnTimeout, armed, &FreeArmed);
}

bool GlibTimerHost::Disarm(std::uintptr_t handle) {
    GSource* source = g_main_context_find_source_by_id(nullptr, static_cast<guint>(handle));
    if (!source) return false;
    g_source_destroy(source);
    return true;
}
