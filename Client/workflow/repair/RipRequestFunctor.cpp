#include "workflow/repair/RipRequestFunctor.h"

#include "engine/gamedata/CreateGameVersion.h"
#include "engine/gamedata/GameVersion5.h"
#include "engine/servers/ServerFaults.h"
#include "shell/LauncherConfig.h"

RefPtr<RipRequestFunctor> RipRequestFunctor::Create(RipRequestView* view, AppParams* params, bool versionFileOnly) {
    if (!view || !params) return nullptr;
    RefPtr<HttpRipClient> client = HttpRipClient::Create(params->server, LoadServerDocuments());
    return Create(view, params, client.Get(), versionFileOnly);
}

RefPtr<RipRequestFunctor> RipRequestFunctor::Create(RipRequestView* view, AppParams* params, IRipServer* client,
                                                    bool versionFileOnly) {
    if (!view || !params || !client) return nullptr;
    return RefPtr<RipRequestFunctor>(new RipRequestFunctor(view, params, client, versionFileOnly));
}

RipRequestFunctor::RipRequestFunctor(RipRequestView* view, AppParams* params, IRipServer* client, bool versionFileOnly)
    : view_(view), client_(client), params_(params), versionFileOnly_(versionFileOnly) {
    client->RipInfoReady.Connect<&RipRequestFunctor::OnRipInfoReady>(this);
    client->NetworkError.Connect<&RipRequestFunctor::OnNetworkError>(this);
    client->ServerError.Connect<&RipRequestFunctor::OnServerError>(this);
}

RipRequestFunctor::~RipRequestFunctor() {
    ReleaseClient();
    ReleaseTimer();
}

bool RipRequestFunctor::Run() {
    if (!client_ || timer_) return false;
    RefPtr<ITimer> timer = view_->CreateTimer();
    if (!timer) return false;
    timer->OnTick.Connect<&RipRequestFunctor::OnTick>(this);
    // A client asks once: a request that could not start is not tried again.
    if (!client_->Request() || !timer->Start(kTickMs)) {
        timer->Stop();
        ReleaseClient();
        return false;
    }
    timer_ = timer;
    view_->OnRequest();
    return true;
}

bool RipRequestFunctor::OnTick(std::int64_t elapsedMs) {
    // The client may end the request, and with it our hold on it, inside Poll.
    RefPtr<IRipServer> client = client_;
    if (client && !client->Poll(elapsedMs)) ReleaseTimer();
    return true;
}

bool RipRequestFunctor::OnRipInfoReady(RipPatchInfo* info) {
    EndRequest();
    result_ = info;
    if (!info) {
        view_->OnLogicError(ServerFault::kBadDocument);
    } else if (versionFileOnly_) {
        SaveVersionFile(*info);
    } else {
        view_->OnAnswer();
    }
    return true;
}

void RipRequestFunctor::SaveVersionFile(const RipPatchInfo& info) {
    // A file that does not read as a version file would leave the game as broken as
    // before, and the old one may still be of use: it stays.
    if (!Game::IsGameVersionFile(Game::GameVersionFormat, info.versionFileBytes)) {
        view_->OnLogicError(ServerFault::kBadDocument);
        return;
    }
    if (!info.SaveVersionFile(params_->gameRoot, params_->versionFile)) {
        view_->OnSaveError();
        return;
    }
    params_->ForgetGameVersion();
    view_->OnGameVersionRepaired();
}

bool RipRequestFunctor::OnNetworkError(int code) {
    EndRequest();
    view_->OnServerError(code);
    return true;
}

bool RipRequestFunctor::OnServerError(int code) {
    EndRequest();
    view_->OnLogicError(code);
    return true;
}

void RipRequestFunctor::EndRequest() {
    ReleaseTimer();
    ReleaseClient();
}

void RipRequestFunctor::ReleaseTimer() {
    if (!timer_) return;
    timer_->Stop();
    timer_ = nullptr;
}

void RipRequestFunctor::ReleaseClient() {
    if (!client_) return;
    client_->RipInfoReady.Disconnect(this);
    client_->NetworkError.Disconnect(this);
    client_->ServerError.Disconnect(this);
    client_ = nullptr;
}
