#pragma once
// The hub link as its owner uses it: requests to the hub, and the dispatch of the
// hub's messages to the owner's callbacks. Everything runs on the owner's thread.
#include "base/runtime/Vector.h"
#include "hublink/InterComTypes.h"

namespace VTInterCom {

class IInterCom {
public:
    virtual ~IInterCom() = default;

    virtual bool IsConnected() = 0;
    // Drops the connection and goes on with the next socket name.
    virtual void Reconnect() = 0;
    // Never starts the hub again, then asks the hub to end.
    virtual bool Terminate() = 0;
    // The requests answer whether they were sent: false while disconnected, and the
    // request is lost.
    virtual bool GetPackInfos() = 0;
    virtual bool SetPackStateEx(const Vector<PackState>& states) = 0;
    virtual bool SetClientAcceptedBuild(int build) = 0;
    // At most one incoming message to the callbacks; false when none waited.
    virtual bool ReceiveAndDispatch() = 0;
};

}  // namespace VTInterCom
