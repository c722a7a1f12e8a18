#include "workflow/patches/VersionUpdateState.h"

#include "shell/AppParams.h"
#include "workflow/PageCommands.h"
#include "workflow/patches/PatchesRequestFunctor.h"
#include "workflow/patches/PatchesRequestState.h"

VersionUpdateState::PatchesRequestFactory VersionUpdateState::DefaultPatchesRequest() {
    return [](IMainWindow* window) -> RefPtr<IPatchesRequestFunctor> {
        AppParams* params = GetAppParams();
        RefPtr<Game::IGameVersion> version = params ? params->GetGameVersion() : nullptr;
        RefPtr<PatchesRequestView> view(new PatchesRequestView(window));
        return PatchesRequestFunctor::Create(view.Get(), params, version.Get());
    };
}

VersionUpdateState::VersionUpdateState(IMainWindow* window, PatchesRequestFactory makePatchesRequest)
    : window_(window), makePatchesRequest_(std::move(makePatchesRequest)) {}

bool VersionUpdateState::OnCommand(int code, const WideString& argument) {
    if (SingleState::OnCommand(code, argument)) return true;
    using namespace PageCommand;
    switch (code) {
    case PatchesRequest:
        return StartPatchRequest();
    case VersionUpdate:          // the initial check
    case CheckAttributesRun:     // the attribute check
    case PatchesDownload:        // the patch download
    case PatchesApply:           // the patch apply
    case PatchesApplyManually:   // the manual patch
        return StartMissingStep();
    default:
        return false;
    }
}

bool VersionUpdateState::StartPatchRequest() {
    // The previous step goes first, so a request that cannot start leaves no step.
    SetStep(nullptr);
    RefPtr<IPatchesRequestFunctor> functor = makePatchesRequest_ ? makePatchesRequest_(window_) : nullptr;
    if (!functor) return false;
    SetStep(new PatchesRequestState(functor.Get()));
    return functor->Run();
}

bool VersionUpdateState::StartMissingStep() {
    SetStep(nullptr);
    return false;
}
