#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "base/runtime/Guid.h"
#include "base/runtime/Timer.h"
#include "support/ManualTimerHost.h"

namespace {

struct TickLog : RefCounter {
    bool OnTick(std::int64_t elapsed) {
        ticks.push_back(elapsed);
        if (action) action();
        return true;
    }
    std::vector<std::int64_t> ticks;
    std::function<void()> action;
};

struct Armed {
    RefPtr<Timer> timer;
    RefPtr<TickLog> log;
};

Armed MakeTimer(ManualTimerHost& host, int id, int period) {
    Armed armed{Timer::Create(id, &host), new TickLog};
    armed.timer->OnTick.Connect<&TickLog::OnTick>(armed.log.Get());
    EXPECT_TRUE(armed.timer->Start(period));
    return armed;
}

TEST(Timer, TicksCarryTheTimeSinceThePreviousTick) {
    ManualTimerHost host;
    Armed t = MakeTimer(host, 1, 100);
    host.Advance(250);
    EXPECT_EQ(t.log->ticks, (std::vector<std::int64_t>{100, 100}));
}

TEST(Timer, StartingARunningTimerFailsAndKeepsItsPeriod) {
    ManualTimerHost host;
    Armed t = MakeTimer(host, 1, 100);
    EXPECT_FALSE(t.timer->Start(10));
    host.Advance(100);
    EXPECT_EQ(t.log->ticks.size(), 1u);
}

TEST(Timer, StartReportsAFailedArm) {
    ManualTimerHost host;
    RefPtr<Timer> timer(Timer::Create(1, &host));
    host.FailNextArm();
    EXPECT_FALSE(timer->Start(100));
    EXPECT_TRUE(timer->IsStopped());
    EXPECT_TRUE(timer->Start(100));
}

TEST(Timer, StopAndDestructionDisarm) {
    ManualTimerHost host;
    Armed t = MakeTimer(host, 1, 100);
    EXPECT_TRUE(t.timer->Stop());
    EXPECT_EQ(host.ArmedCount(), 0u);
    EXPECT_TRUE(t.timer->Start(100));
    t.timer.Reset();
    EXPECT_EQ(host.ArmedCount(), 0u);
    host.Advance(500);
    EXPECT_TRUE(t.log->ticks.empty());
}

TEST(Timer, TimersWithTheSameIdTickAndStopIndependently) {
    ManualTimerHost host;
    Armed a = MakeTimer(host, 3, 100);
    Armed b = MakeTimer(host, 3, 300);
    host.Advance(300);
    EXPECT_EQ(a.log->ticks.size(), 3u);
    EXPECT_EQ(b.log->ticks.size(), 1u);
    a.timer->Stop();
    host.Advance(300);
    EXPECT_EQ(a.log->ticks.size(), 3u);
    EXPECT_EQ(b.log->ticks, (std::vector<std::int64_t>{300, 300}));
}

TEST(Timer, TicksDuringANestedLoopAreDroppedAndTheNextCarriesTheWholeTime) {
    ManualTimerHost host;
    Armed a = MakeTimer(host, 1, 100);
    Armed b = MakeTimer(host, 2, 100);
    bool boxShown = false;
    a.log->action = [&] {
        if (boxShown) return;
        boxShown = true;
        host.Advance(1000);  // a modal box runs its own loop
    };
    host.Advance(100);
    EXPECT_EQ(a.log->ticks, (std::vector<std::int64_t>{100}));
    EXPECT_TRUE(b.log->ticks.empty() || b.log->ticks.front() == 100);
    const std::size_t bBefore = b.log->ticks.size();
    host.Advance(100);
    EXPECT_EQ(a.log->ticks.back(), 1100);
    EXPECT_EQ(b.log->ticks.size(), bBefore + 1);
    EXPECT_GE(b.log->ticks.back(), 1000);
}

TEST(Timer, TimerReleasedByItsOwnListenerDiesAfterTheListenerReturns) {
    ManualTimerHost host;
    Armed t = MakeTimer(host, 1, 100);
    WeakPtr<Timer> watch(t.timer);
    bool aliveInListener = false;
    t.log->action = [&] {
        t.timer.Reset();
        aliveInListener = watch.IsAlive();
    };
    host.Advance(100);
    EXPECT_TRUE(aliveInListener);
    EXPECT_FALSE(watch.IsAlive());
    EXPECT_EQ(host.ArmedCount(), 0u);
}

TEST(Timer, ManyTimersAllTickAndDeadEntriesAreSwept) {
    ManualTimerHost host;
    std::vector<Armed> timers;
    for (int i = 0; i < 65; ++i) timers.push_back(MakeTimer(host, i, 100));
    for (int i = 0; i < 65; i += 2) timers[i].timer.Reset();
    host.Advance(100);
    std::size_t ticked = 0;
    for (const Armed& t : timers) ticked += t.log->ticks.size();
    EXPECT_EQ(ticked, 32u);
    timers.clear();
    host.Advance(100);
    Armed fresh = MakeTimer(host, 1, 100);
    host.Advance(100);
    EXPECT_EQ(Timer::ListedTimers(), 1u);
}

TEST(Guid, TextFormAndBack) {
    Guid guid;
    std::uint8_t bytes[16];
    for (int i = 0; i < 16; ++i) bytes[i] = static_cast<std::uint8_t>(i);
    std::memcpy(&guid, bytes, 16);
    String text;
    GuidToText(guid, text);
    EXPECT_STREQ(text.CStr(), "03020100-0504-0706-0809-0A0B0C0D0E0F");
    for (const char* form : {"03020100-0504-0706-0809-0A0B0C0D0E0F", "03020100-0504-0706-0809-0a0b0c0d0e0f"}) {
        Guid back{};
        ASSERT_TRUE(GuidFromText(String(form), back));
        EXPECT_EQ(std::memcmp(&back, bytes, 16), 0);
    }
}

TEST(Guid, MalformedTextsAreRefused) {
    for (const char* text : {"", "03020100-0504-0706-0809-0A0B0C0D0E0", "03020100-0504-0706-0809-0A0B0C0D0E0FF",
                             "0302010G-0504-0706-0809-0A0B0C0D0E0F", "03020100+0504-0706-0809-0A0B0C0D0E0F",
                             "03020100-0504-0706-0809-0A0B0C0D0E\xC3\xA9"}) {
        Guid guid{};
        EXPECT_FALSE(GuidFromText(String(text), guid)) << text;
    }
}

}  // namespace
