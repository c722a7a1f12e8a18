#pragma once
// The download-speed decision for a requested channel (kB/s): the launcher follows
// the channel the page asks for by measuring what it gets and pausing the session for
// one tick when it is above it. The state carries over from one tick to the next.
struct ChannelSpeedState {
    float currentSpeed = 0.0f;  // kB/s, what the peers gave at the last report
    float currentLimit = 0.0f;  // kB/s, the limit chosen so far
    float lastChannel = 0.0f;   // kB/s, the channel seen by the last decision
};

struct ChannelDecision {
    bool pause = false;  // pause the session until the next tick
};

// Changes of the channel smaller than this are no change.
constexpr float kChannelEpsilon = 0.0001f;

// One decision for the requested channel; updates the state's limit and last channel.
// A requested channel that is not a number or not above the epsilon leaves no limit.
ChannelDecision AdjustForChannel(ChannelSpeedState& state, float requested);
