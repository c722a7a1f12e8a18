#pragma once
// What every conversation with the update server has: one request that starts it, the
// poll that drives it, and its two failure events. Each conversation ends in exactly
// one event, a failure or one of its own.
#include <cstdint>

#include "base/runtime/Event.h"
#include "base/runtime/RefCounter.h"
#include "engine/servers/ServerFaults.h"

class IServerClient : public RefCounter {
public:
    // An HttpClient failure code: 3, 6, 8, 9 or 11.
    Event<int> NetworkError;
    // A ServerFault code.
    Event<int> ServerError;

    // Sends the first request; false when it cannot be formed. Once per conversation.
    virtual bool Request() = 0;
    virtual bool Poll(std::int64_t elapsedMs) = 0;

protected:
    ~IServerClient() override = default;

    // The HTTP client's failures passed on as they are.
    bool ReportNetworkError(int code) {
        NetworkError.Fire(code);
        return true;
    }
    bool ReportBadStatus(int) {
        ServerError.Fire(ServerFault::kBadStatus);
        return true;
    }
};
