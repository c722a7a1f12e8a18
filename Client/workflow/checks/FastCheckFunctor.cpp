#include "workflow/checks/FastCheckFunctor.h"

#include "shell/AppParams.h"
#include "workflow/WorkflowValues.h"

RefPtr<FastCheckFunctor> FastCheckFunctor::Create(FastCheckView* view) {
    AppParams* params = GetAppParams();
    RefPtr<Game::IGameVersion> version = view && params ? params->GetGameVersion() : nullptr;
    if (!version) return nullptr;
    return RefPtr<FastCheckFunctor>(new FastCheckFunctor(view, version.Get()));
}

bool FastCheckFunctor::Run() {
    // A progressive installation holds only the minimal set for sure.
    String firstBad;
    if (version_->Check(firstBad, Workflow::ProgressiveDownload()) == Game::kCheckOk) {
        view_->OnSuccess();
    } else {
        view_->OnFail();
    }
    return true;
}
