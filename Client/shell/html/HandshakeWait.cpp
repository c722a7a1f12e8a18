#include "shell/html/HandshakeWait.h"

#include <utility>

HandshakeWait* HandshakeWait::Create(TimerHost* host, std::function<void()> onExpired) {
    return new HandshakeWait(host, std::move(onExpired));
}

HandshakeWait::HandshakeWait(TimerHost* host, std::function<void()> onExpired)
    : timer_(host ? Timer::Create(kTimerId, host) : nullptr), onExpired_(std::move(onExpired)) {
    if (timer_) timer_->OnTick.Connect<&HandshakeWait::OnTick>(this);
}

HandshakeWait::~HandshakeWait() {
    if (timer_) timer_->Stop();
}

bool HandshakeWait::Start(int milliseconds) { return timer_ && timer_->Start(milliseconds); }

void HandshakeWait::Cancel() {
    if (timer_) timer_->Stop();
}

bool HandshakeWait::OnTick(std::int64_t) {
    timer_->Stop();
    // The callback may end the dialog and release this wait.
    RefPtr<HandshakeWait> keep(this);
    if (onExpired_) onExpired_();
    return true;
}
