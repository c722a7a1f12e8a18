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
    poll_.Stop();
}

bool RipRequestFunctor::Run() {
    if (!client_ || poll_.IsRunning()) return false;
    RefPtr<ITimer> timer = view_->CreateTimer();
    if (!timer) return false;
    if (!poll_.Start(this, *timer, *client_)) {
        ReleaseClient();
        return false;
    }
    view_->OnRequest();
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
    poll_.Stop();
    ReleaseClient();
}

void RipRequestFunctor::ReleaseClient() {
    if (!client_) return;
    client_->RipInfoReady.Disconnect(this);
    client_->NetworkError.Disconnect(this);
    client_->ServerError.Disconnect(this);
    client_ = nullptr;
}
