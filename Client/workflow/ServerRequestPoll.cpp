#include "workflow/ServerRequestPoll.h"

bool ServerRequestPoll::Start(RefCounter* owner, ITimer& timer, IServerClient& client) {
    if (timer_) return false;
    RefPtr<ITimer> held(&timer);
    held->OnTick.Add({WeakPtr<RefCounter>(owner), this, &ServerRequestPoll::Tick});
    // A client asks once: a request that could not start is not tried again.
    if (!client.Request() || !held->Start(kTickMs)) {
        held->Stop();
        return false;
    }
    timer_ = held;
    client_ = &client;
    return true;
}

void ServerRequestPoll::Stop() {
    client_ = nullptr;
    if (!timer_) return;
    timer_->Stop();
    timer_ = nullptr;
}

bool ServerRequestPoll::Tick(void* self, std::int64_t elapsedMs) {
    auto* poll = static_cast<ServerRequestPoll*>(self);
    // The step may end the request, and with it this poll's hold on the client, inside Poll.
    RefPtr<IServerClient> client = poll->client_;
    if (client && !client->Poll(elapsedMs)) poll->Stop();
    return true;
}
