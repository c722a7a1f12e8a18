#pragma once
// Drives one conversation with the update server for a step: the client's one request,
// then a poll on every tick of a window timer until the client is done. The step keeps
// its own events on the client; stopping the poll stops the timer and lets go of the
// client, and is safe from inside the client's events.
#include <cstdint>

#include "base/runtime/RefCounter.h"
#include "base/runtime/Timer.h"
#include "engine/servers/IServerClient.h"

class ServerRequestPoll {
public:
    static constexpr int kTickMs = 10;

    ServerRequestPoll() = default;
    ServerRequestPoll(const ServerRequestPoll&) = delete;
    ServerRequestPoll& operator=(const ServerRequestPoll&) = delete;
    ~ServerRequestPoll() { Stop(); }

    // Sends the client's request and polls it on timer; owner is the step that holds
    // this poll and bounds the timer's hold on it. False, with nothing running, when
    // the request or the timer cannot start.
    bool Start(RefCounter* owner, ITimer& timer, IServerClient& client);
    void Stop();
    bool IsRunning() const { return static_cast<bool>(timer_); }

private:
    static bool Tick(void* self, std::int64_t elapsedMs);

    RefPtr<ITimer> timer_;
    RefPtr<IServerClient> client_;
};
