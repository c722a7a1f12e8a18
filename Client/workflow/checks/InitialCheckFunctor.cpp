#include "workflow/checks/InitialCheckFunctor.h"

#include <unistd.h>

#include "base/runtime/StrUtil.h"
#include "shell/LauncherConfig.h"
#include "shell/PathText.h"
#include "shell/resources/StringIds.h"
#include "shell/resources/StringTable.h"
#include "workflow/patches/MultiPatch.h"

RefPtr<InitialCheckFunctor> InitialCheckFunctor::Create(InitialCheckView* view, AppParams* params) {
    if (!params) return nullptr;
    RefPtr<Game::IGameVersion> version = params->GetGameVersion();
    return Create(view, params, version.Get());
}

RefPtr<InitialCheckFunctor> InitialCheckFunctor::Create(InitialCheckView* view, AppParams* params,
                                                        Game::IGameVersion* version) {
    if (!view || !params || params->launcherCfgPath.IsEmpty()) return nullptr;
    if (!version) {
        view->OnNeedRepair();
        return nullptr;
    }
    return RefPtr<InitialCheckFunctor>(new InitialCheckFunctor(view, params, version));
}

InitialCheckFactory InitialCheckFunctor::DefaultFactory() {
    return [](IMainWindow* window) -> RefPtr<IInitialCheckFunctor> {
        RefPtr<InitialCheckView> view(new InitialCheckView(window));
        return Create(view.Get(), GetAppParams());
    };
}

InitialCheckFunctor::~InitialCheckFunctor() { EndCheck(); }

bool InitialCheckFunctor::Run() {
    // A check under way goes on; its outcome is still to come.
    if (client_) return true;
    planPath_ = PathText::Join(params_->patchesDir, LoadResString(StringId::PatchPlanName));
    if (!StartCheck()) OnChainFailed();
    return true;
}

bool InitialCheckFunctor::StartCheck() {
    // Load reads only a regular file and never waits on one; anything else is no plan.
    const RefPtr<MultiPatch> plan = MultiPatch::Load(planPath_);
    if (!plan) return false;
    WideStringVector installed;
    installed.PushBack(version_->GetVersion());
    WideStringVector planned;
    for (const MultiPatchItem& item : plan->items) planned.PushBack(item.version);
    if (installed[0].IsEmpty()) return false;
    RefPtr<HttpCheckingClient> client =
        HttpCheckingClient::Create(params_->server, LoadServerDocuments(), installed, planned);
    if (!client) return false;
    RefPtr<ITimer> timer = view_->CreateTimer();
    if (!timer) return false;
    client_ = client;
    client_->ChainValid.Connect<&InitialCheckFunctor::OnChainValid>(this);
    client_->ChainBroken.Connect<&InitialCheckFunctor::OnChainFailed>(this);
    client_->NetworkError.Connect<&InitialCheckFunctor::OnClientError>(this);
    client_->ServerError.Connect<&InitialCheckFunctor::OnClientError>(this);
    if (!poll_.Start(this, *timer, *client_)) {
        EndCheck();
        return false;
    }
    view_->OnCheckRequest();
    return true;
}

bool InitialCheckFunctor::OnChainValid() {
    EndCheck();
    // The plan stays for the applier, which the launcher starts once the window is closed.
    view_->Finish(planPath_);
    return true;
}

bool InitialCheckFunctor::OnChainFailed() {
    EndCheck();
    ::unlink(StrUtil::ToNarrow(planPath_).CStr());
    view_->OnReadyToUpdate();
    return true;
}

void InitialCheckFunctor::EndCheck() {
    poll_.Stop();
    if (!client_) return;
    client_->ChainValid.Disconnect(this);
    client_->ChainBroken.Disconnect(this);
    client_->NetworkError.Disconnect(this);
    client_->ServerError.Disconnect(this);
    client_ = nullptr;
}
