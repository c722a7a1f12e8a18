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
    : ServerRequestStep(view, client), params_(params), versionFileOnly_(versionFileOnly) {
    client->RipInfoReady.Connect<&RipRequestFunctor::OnRipInfoReady>(this);
}

bool RipRequestFunctor::Run() {
    if (!StartRequest()) return false;
    GetView().OnRequest();
    return true;
}

bool RipRequestFunctor::OnRipInfoReady(RipPatchInfo* info) {
    EndRequest();
    result_ = info;
    if (!info) {
        GetView().OnLogicError(ServerFault::kBadDocument);
    } else if (versionFileOnly_) {
        SaveVersionFile(*info);
    } else {
        GetView().OnAnswer();
    }
    return true;
}

void RipRequestFunctor::SaveVersionFile(const RipPatchInfo& info) {
    // A file that does not read as a version file would leave the game as broken as
    // before, and the old one may still be of use: it stays.
    if (!Game::IsGameVersionFile(Game::GameVersionFormat, info.versionFileBytes)) {
        GetView().OnLogicError(ServerFault::kBadDocument);
        return;
    }
    if (!info.SaveVersionFile(params_->gameRoot, params_->versionFile)) {
        GetView().OnSaveError();
        return;
    }
    params_->ForgetGameVersion();
    GetView().OnGameVersionRepaired();
}

void RipRequestFunctor::DisconnectAnswers(IRipServer& client) { client.RipInfoReady.Disconnect(this); }
