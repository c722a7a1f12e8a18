#include "workflow/download/ChannelSpeedLimit.h"

#include <cmath>

ChannelDecision AdjustForChannel(ChannelSpeedState& state, float requested) {
    ChannelDecision decision;
    if (!(requested >= kChannelEpsilon)) {
        state.currentLimit = 0.0f;
        state.lastChannel = 0.0f;
        return decision;
    }
    if (std::fabs(state.lastChannel - requested) <= kChannelEpsilon) return decision;
    if (state.currentSpeed <= kChannelEpsilon) {
        state.currentLimit = 100.0f;
    } else if (state.currentSpeed - requested < 20.0f) {
        state.currentLimit = 20.0f;
        decision.pause = true;
    } else if (state.lastChannel < requested) {
        state.currentLimit = state.currentSpeed - (requested - state.lastChannel);
        decision.pause = true;
    }
    // A channel that shrank keeps the limit.
    state.lastChannel = requested;
    return decision;
}
