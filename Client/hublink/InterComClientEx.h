#pragma once
// The message layer over the transport: requests go out as printed XML, and incoming
// messages are dispatched to the owner's callbacks on the owner's thread.
#include "hublink/InterComClient.h"

namespace VTInterCom {

class CInterComClientEx final : public CInterComClient {
public:
    // Waits 500 ms before starting the hub when the hub has no project id of its own
    // (noProjectId), 10 s when it has one.
    static constexpr int kHubStartTimeoutMs = 500;
    static constexpr int kHubStartTimeoutWithProjectMs = 10000;
    static constexpr int kTriesPerName = 3;

    CInterComClientEx(const StringVector& baseNames, const WideString& hubPath, bool noProjectId,
                      const InterComHandshake& handshake, const LinkOptions& options);

    // The reconnected callback when a connection was made since the last call, then at
    // most one message to its callbacks. False when no message waited.
    bool ReceiveAndDispatch(const InterComCallbacks& callbacks);

    bool LightMode() const { return lightMode_; }

private:
    bool lightMode_ = false;
};

}  // namespace VTInterCom
