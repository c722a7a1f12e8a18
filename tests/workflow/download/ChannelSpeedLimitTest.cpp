// The channel rule: (current speed, last channel, requested channel) to (limit, pause).
#include <gtest/gtest.h>

#include <limits>

#include "workflow/download/ChannelSpeedLimit.h"

namespace {

TEST(ChannelSpeedLimit, Table) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        float speed, limit, lastChannel, requested;
        float expectedLimit, expectedLast;
        bool pause;
    };
    const Case cases[] = {
        {0.0f, 0.0f, 0.0f, 50.0f, 100.0f, 50.0f, false},       // nothing measured yet
        {60.0f, 0.0f, 0.0f, 50.0f, 20.0f, 50.0f, true},        // within 20 kB/s of the channel
        {200.0f, 0.0f, 0.0f, 50.0f, 150.0f, 50.0f, true},      // the channel grew from 0
        {200.0f, 150.0f, 50.0f, 80.0f, 170.0f, 80.0f, true},   // grew by 30
        {200.0f, 150.0f, 80.0f, 50.0f, 150.0f, 50.0f, false},  // shrank: the limit stays
        {200.0f, 150.0f, 50.0f, 50.00005f, 150.0f, 50.0f, false},  // no change below the epsilon
        {200.0f, 150.0f, 50.0f, 0.0f, 0.0f, 0.0f, false},      // no channel: no limit
        {200.0f, 150.0f, 50.0f, nan, 0.0f, 0.0f, false},       // not a number: no limit
    };
    for (const Case& c : cases) {
        ChannelSpeedState state{c.speed, c.limit, c.lastChannel};
        const ChannelDecision decision = AdjustForChannel(state, c.requested);
        EXPECT_FLOAT_EQ(state.currentLimit, c.expectedLimit) << c.speed << " " << c.lastChannel << " " << c.requested;
        EXPECT_FLOAT_EQ(state.lastChannel, c.expectedLast) << c.speed << " " << c.lastChannel << " " << c.requested;
        EXPECT_EQ(decision.pause, c.pause) << c.speed << " " << c.lastChannel << " " << c.requested;
    }
}

}  // namespace
