#include "base/runtime/Timer.h"

#include "base/runtime/Clock.h"
#include "base/runtime/Vector.h"

namespace {

// Every timer is listed weakly from its construction; dead entries are swept by the
// next dispatch. Timers belong to the UI thread.
struct TimerList {
    Vector<WeakPtr<Timer>> entries;
    std::uint64_t nextSerial = 1;
    bool dispatching = false;
};

TimerList& Timers() {
    static TimerList* list = new TimerList();
    return *list;
}

}  // namespace

Timer* Timer::Create(int id, TimerHost* host) { return new Timer(id, host); }

Timer::Timer(int id, TimerHost* host) : id_(id), host_(host), serial_(Timers().nextSerial++) {
    Timers().entries.PushBack(WeakPtr<Timer>(this));
}

Timer::~Timer() { Stop(); }

bool Timer::Start(int milliseconds) {
    if (running_ != 0 || !host_) return false;
    const std::uintptr_t handle = host_->Arm(serial_, milliseconds);
    if (handle == 0) return false;
    running_ = handle;
    last_ = Clock::NowMs();
    return true;
}

bool Timer::Stop() {
    if (running_ != 0 && host_->Disarm(running_)) running_ = 0;
    return IsStopped();
}

void Timer::TimerProc(std::uint64_t timerSerial) {
    TimerList& list = Timers();
    if (list.dispatching) return;
    list.dispatching = true;
    for (std::size_t i = 0; i < list.entries.Size();) {
        RefPtr<Timer> timer = list.entries[i].Lock();
        if (!timer) {
            // Move the last entry into the empty slot and visit it next.
            const std::size_t last = list.entries.Size() - 1;
            if (i != last) list.entries[i] = std::move(list.entries[last]);
            list.entries.Erase(last);
            continue;
        }
        if (timer->serial_ == timerSerial && timer->running_ != 0) {
            const std::int64_t now = Clock::NowMs();
            const std::int64_t elapsed = now > timer->last_ ? now - timer->last_ : 0;
            timer->last_ = now;
            timer->OnTick.Fire(elapsed);
        }
        ++i;
    }
    list.dispatching = false;
}

std::size_t Timer::ListedTimers() { return Timers().entries.Size(); }
