#include <gtest/gtest.h>

#include <glib.h>

#include "base/runtime/Timer.h"
#include "platform/glib/GlibTimerHost.h"

namespace {

struct Counter : RefCounter {
    bool OnTick(std::int64_t elapsed) {
        ++ticks;
        total += elapsed;
        if (ticks == 3) g_main_loop_quit(loop);
        return true;
    }
    int ticks = 0;
    std::int64_t total = 0;
    GMainLoop* loop = nullptr;
};

TEST(GlibTimerHost, DeliversTicksOnTheDefaultMainLoop) {
    GlibTimerHost host(&Timer::TimerProc);
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    RefPtr<Counter> counter(new Counter);
    counter->loop = loop;
    RefPtr<Timer> timer(Timer::Create(7, &host));
    timer->OnTick.Connect<&Counter::OnTick>(counter.Get());
    ASSERT_TRUE(timer->Start(5));
    // A bound on the wait, so that a broken host fails instead of hanging.
    const guint guard = g_timeout_add(5000, [](gpointer l) {
        g_main_loop_quit(static_cast<GMainLoop*>(l));
        return G_SOURCE_REMOVE;
    }, loop);
    g_main_loop_run(loop);
    if (counter->ticks == 3) g_source_remove(guard);
    EXPECT_EQ(counter->ticks, 3);
    EXPECT_GE(counter->total, 10);
    EXPECT_TRUE(timer->Stop());
    EXPECT_FALSE(host.Disarm(999999));
    g_main_loop_unref(loop);
}

}  // namespace
