// The steps the game state runs on other features: the future patch (31, 300) on the
// patch request and download, the full version (4001, 600) on the repair request and
// download.
#include "shell/AppParams.h"
#include "workflow/StateIds.h"
#include "workflow/game/GameState.h"
#include "workflow/patches/PatchesDownloadFunctor.h"
#include "workflow/patches/PatchesDownloadState.h"
#include "workflow/patches/PatchesDownloadView.h"
#include "workflow/patches/PatchesRequestFunctor.h"
#include "workflow/patches/PatchesRequestState.h"
#include "workflow/patches/PatchesRequestView.h"
#include "workflow/repair/RipDownloadFunctor.h"
#include "workflow/repair/RipDownloadState.h"
#include "workflow/repair/RipDownloadView.h"
#include "workflow/repair/RipRequestFunctor.h"
#include "workflow/repair/RipRequestState.h"
#include "workflow/repair/RipRequestView.h"

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
    // In the future mode (set by 31), so it keeps to the background rules.
    factories.download = [](IMainWindow* window, IState* previous) {
        FeatureStart step;
        RefPtr<PatchInfos> patches;
        if (previous && previous->GetId() == StateId::PatchesRequest)
            patches = static_cast<PatchesRequestState*>(previous)->Functor()->GetResult();
        if (!patches) return step;
        RefPtr<PatchesDownloadView> view(new PatchesDownloadView(window));
        RefPtr<PatchesDownloadFunctor> functor =
            PatchesDownloadFunctor::Create(view.Get(), GetAppParams(), patches.Get());
        if (!functor) return step;
        step.state = new PatchesDownloadState(functor.Get());
        step.start = [functor](const WideString&) { return functor->Run(); };
        return step;
    };
    return factories;
}

FullVersionFactories FullVersionFactories::Installed() {
    FullVersionFactories factories;
    // The whole repair set, not the version file alone.
    factories.request = [](IMainWindow* window) {
        FeatureStart step;
        RefPtr<RipRequestView> view(new RipRequestView(window));
        RefPtr<RipRequestFunctor> functor = RipRequestFunctor::Create(view.Get(), GetAppParams(), false);
        if (!functor) return step;
        step.state = new RipRequestState(functor.Get());
        step.start = [functor](const WideString&) { return functor->Run(); };
        return step;
    };
    factories.download = [](IMainWindow* window, IState* request, Rip* list, const WideString& subfolder) {
        FullVersionDownloadStart step;
        RefPtr<RipPatchInfo> info;
        if (request && request->GetId() == StateId::RipRequest)
            info = static_cast<RipRequestState*>(request)->Functor()->GetResult();
        RefPtr<RipDownloadView> view(new RipDownloadView(window));
        RefPtr<RipDownloadFunctor> functor =
            RipDownloadFunctor::Create(view.Get(), GetAppParams(), list, info.Get(), subfolder);
        if (!functor) return step;
        step.state = new RipDownloadState(functor.Get());
        step.start = [functor](WideString& torrentPath) { return functor->Run(&torrentPath); };
        return step;
    };
    factories.downloadedFolder = [](IState& download) {
        RefPtr<RipPatch> downloaded = static_cast<RipDownloadState&>(download).Functor()->GetResult();
        return downloaded ? downloaded->Folder() : WideString();
    };
    return factories;
}
