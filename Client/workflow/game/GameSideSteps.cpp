// The steps the game state runs on other features: the future patch (31, 300) on the
// patch request and download, the full version (4001, 600) on the repair request and
// download.
#include "shell/AppParams.h"
#include "workflow/game/GameState.h"
#include "workflow/patches/PatchesRequestFunctor.h"
#include "workflow/patches/PatchesRequestState.h"
#include "workflow/patches/PatchesRequestView.h"

FuturePatchFactories FuturePatchFactories::Installed() {
    FuturePatchFactories factories;
    factories.request = [](IMainWindow* window) {
        FeatureStart step;
        AppParams* params = GetAppParams();
        RefPtr<Game::IGameVersion> version = params ? params->GetGameVersion() : nullptr;
        RefPtr<PatchesRequestView> view(new PatchesRequestView(window));
        RefPtr<PatchesRequestFunctor> functor = PatchesRequestFunctor::Create(view.Get(), params, version.Get());
        if (!functor) return step;
        step.state = new PatchesRequestState(functor.Get());
        step.start = [functor](const WideString&) { return functor->Run(); };
        return step;
    };
    return factories;
}

// The repair request and download are not part of this launcher yet: 4001 and 600
// answer false, and 4002 has nothing to install.
FullVersionFactories FullVersionFactories::Installed() { return {}; }
