#include "workflow/patches/PatchesRequestFunctor.h"

#include "engine/servers/HttpPatchClient.h"
#include "engine/servers/ServerFaults.h"
#include "shell/LauncherConfig.h"
#include "workflow/patches/WorkflowPatchLinks.h"

RefPtr<PatchesRequestFunctor> PatchesRequestFunctor::Create(PatchesRequestView* view, AppParams* params,
                                                            Game::IGameVersion* version) {
    if (!view || !params || !version || params->launcherCfgPath.IsEmpty()) return nullptr;
    RefPtr<HttpPatchClient> client = HttpPatchClient::Create(params->server, version->GetVersion(),
                                                             LoadServerDocuments(), WorkflowPatchLinks::Instance());
    return Create(view, client.Get(), version->GetVersion());
}

RefPtr<PatchesRequestFunctor> PatchesRequestFunctor::Create(PatchesRequestView* view, IPatchServer* client,
                                                            const WideString& installedVersion) {
    if (!view || !client || installedVersion.IsEmpty()) return nullptr;
    return RefPtr<PatchesRequestFunctor>(new PatchesRequestFunctor(view, client, installedVersion));
}

PatchesRequestFunctor::PatchesRequestFunctor(PatchesRequestView* view, IPatchServer* client,
                                             const WideString& installedVersion)
    : view_(view), client_(client), installedVersion_(installedVersion) {
    client->PatchesReady.Connect<&PatchesRequestFunctor::OnPatchesReady>(this);
    client->Finished.Connect<&PatchesRequestFunctor::OnFinished>(this);
    client->LauncherUpdateRequired.Connect<&PatchesRequestFunctor::OnLauncherUpdateRequired>(this);
    client->NetworkError.Connect<&PatchesRequestFunctor::OnNetworkError>(this);
    client->ServerError.Connect<&PatchesRequestFunctor::OnServerError>(this);
}

PatchesRequestFunctor::~PatchesRequestFunctor() {
    ReleaseClient();
    poll_.Stop();
}

bool PatchesRequestFunctor::Run() {
    if (!client_ || poll_.IsRunning()) return false;
    RefPtr<ITimer> timer = view_->CreateTimer();
    if (!timer) return false;
    if (!poll_.Start(this, *timer, *client_)) {
        ReleaseClient();
        return false;
    }
    view_->OnRequest(installedVersion_);
    return true;
}

bool PatchesRequestFunctor::OnPatchesReady(PatchInfos* patches, bool tooOld) {
    EndRequest();
    result_ = patches;
    if (patches && !patches->items.Empty()) {
        view_->OnAnswer(*patches, tooOld);
    } else {
        view_->OnLogicError(ServerFault::kBadDocument);
    }
    return true;
}

bool PatchesRequestFunctor::OnFinished() {
    EndRequest();
    view_->OnResponse();
    return true;
}

bool PatchesRequestFunctor::OnLauncherUpdateRequired() {
    EndRequest();
    view_->OnUpdateLauncher();
    return true;
}

bool PatchesRequestFunctor::OnNetworkError(int code) {
    EndRequest();
    view_->OnServerError(code);
    return true;
}

bool PatchesRequestFunctor::OnServerError(int code) {
    EndRequest();
    view_->OnLogicError(code);
    return true;
}

void PatchesRequestFunctor::EndRequest() {
    poll_.Stop();
    ReleaseClient();
}

void PatchesRequestFunctor::ReleaseClient() {
    if (!client_) return;
    client_->PatchesReady.Disconnect(this);
    client_->Finished.Disconnect(this);
    client_->LauncherUpdateRequired.Disconnect(this);
    client_->NetworkError.Disconnect(this);
    client_->ServerError.Disconnect(this);
    client_ = nullptr;
}
