#pragma once
// The hub link: finds the hub's sockets from the hub executable's place, starts the
// transport's worker and keeps the owner's callbacks.
#include <memory>

#include "hublink/IInterCom.h"
#include "hublink/InterComClientEx.h"

namespace VTInterCom {

class CInterCom final : public IInterCom {
public:
    // The link starts trying to connect at once. A hub executable that does not exist
    // is never started, and only the common socket name is tried.
    CInterCom(const InterComHandshake& handshake, const WideString& hubExecutable, const InterComCallbacks& callbacks,
              const LinkOptions& options = LinkOptions());
    ~CInterCom() override;

    bool IsConnected() override;
    void Reconnect() override;
    bool Terminate() override;
    bool GetPackInfos() override;
    bool SetPackStateEx(const Vector<PackState>& states) override;
    bool SetClientAcceptedBuild(int build) override;
    bool ReceiveAndDispatch() override;

private:
    std::unique_ptr<CInterComClientEx> client_;
    InterComCallbacks callbacks_;
    bool noProjectId_;  // "VT_PROJECT_ID" is unset or empty
};

}  // namespace VTInterCom
