#include "hublink/InterComClientEx.h"

#include "hublink/MessageDispatch.h"

namespace VTInterCom {

CInterComClientEx::CInterComClientEx(const StringVector& baseNames, const WideString& hubPath, bool noProjectId,
                                     const InterComHandshake& handshake, const LinkOptions& options)
    : CInterComClient(baseNames, hubPath,
                      options.hubStartTimeoutMs.value_or(noProjectId ? kHubStartTimeoutMs
                                                                     : kHubStartTimeoutWithProjectMs),
                      kTriesPerName, handshake, options) {}

bool CInterComClientEx::ReceiveAndDispatch(const InterComCallbacks& callbacks) {
    bool reconnected = false;
    std::optional<ByteVector> message = Receive(reconnected);
    if (reconnected && callbacks.reconnected) callbacks.reconnected(callbacks.context);
    if (!message) return false;
    DispatchHubMessage(*message, callbacks, lightMode_);
    return true;
}

}  // namespace VTInterCom
