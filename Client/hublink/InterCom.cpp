#include "hublink/InterCom.h"

#include <cstdlib>

#include "hublink/HubPipeNames.h"
#include "hublink/OutgoingMessages.h"

namespace VTInterCom {

namespace {

bool EnvironmentHasNoProjectId() {
    const char* value = std::getenv("VT_PROJECT_ID");
    return !value || !*value;
}

}  // namespace

CInterCom::CInterCom(const InterComHandshake& handshake, const WideString& hubExecutable,
                     const InterComCallbacks& callbacks, const LinkOptions& options)
    : callbacks_(callbacks), noProjectId_(EnvironmentHasNoProjectId()) {
    const HubPipeNames names = MakeHubPipeNames(hubExecutable);
    client_ = std::make_unique<CInterComClientEx>(names.baseNames, names.hubPath, noProjectId_, handshake, options);
}

CInterCom::~CInterCom() = default;

bool CInterCom::IsConnected() { return client_->IsConnected(); }

void CInterCom::Reconnect() { client_->RequestDisconnect(); }

bool CInterCom::Terminate() {
    client_->DisableAutoStart();
    return client_->Send(PrintTerminateMessage());
}

bool CInterCom::GetPackInfos() { return client_->Send(PrintGetPackInfosMessage()); }

bool CInterCom::SetPackStateEx(const Vector<PackState>& states) { return client_->Send(PrintPackStatesMessage(states)); }

bool CInterCom::SetClientAcceptedBuild(int build) { return client_->Send(PrintAcceptedBuildMessage(build)); }

bool CInterCom::ReceiveAndDispatch() { return client_->ReceiveAndDispatch(callbacks_); }

}  // namespace VTInterCom
