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
    : ServerRequestStep(view, client), installedVersion_(installedVersion) {
    client->PatchesReady.Connect<&PatchesRequestFunctor::OnPatchesReady>(this);
    client->Finished.Connect<&PatchesRequestFunctor::OnFinished>(this);
    client->LauncherUpdateRequired.Connect<&PatchesRequestFunctor::OnLauncherUpdateRequired>(this);
}

bool PatchesRequestFunctor::Run() {
    if (!StartRequest()) return false;
    GetView().OnRequest(installedVersion_);
    return true;
}

bool PatchesRequestFunctor::OnPatchesReady(PatchInfos* patches, bool tooOld) {
    EndRequest();
    result_ = patches;
    if (patches && !patches->items.Empty()) {
        GetView().OnAnswer(*patches, tooOld);
    } else {
        GetView().OnLogicError(ServerFault::kBadDocument);
    }
    return true;
}

bool PatchesRequestFunctor::OnFinished() {
    EndRequest();
    GetView().OnResponse();
    return true;
}

bool PatchesRequestFunctor::OnLauncherUpdateRequired() {
    EndRequest();
    GetView().OnUpdateLauncher();
    return true;
}

void PatchesRequestFunctor::DisconnectAnswers(IPatchServer& client) {
    client.PatchesReady.Disconnect(this);
    client.Finished.Disconnect(this);
    client.LauncherUpdateRequired.Disconnect(this);
}
