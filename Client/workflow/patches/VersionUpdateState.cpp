#include "workflow/patches/VersionUpdateState.h"

#include "shell/AppParams.h"
#include "workflow/PageCommands.h"
#include "workflow/checks/CheckAttributesFunctor.h"
#include "workflow/checks/CheckAttributesState.h"
#include "workflow/patches/PatchesRequestFunctor.h"
#include "workflow/patches/PatchesRequestState.h"

VersionUpdateSteps VersionUpdateSteps::Default() {
    VersionUpdateSteps steps;
    steps.attributeCheck = CheckAttributesFunctor::DefaultFactory();
    steps.patchesRequest = [](IMainWindow* window) -> RefPtr<IPatchesRequestFunctor> {
        AppParams* params = GetAppParams();
        RefPtr<Game::IGameVersion> version = params ? params->GetGameVersion() : nullptr;
        RefPtr<PatchesRequestView> view(new PatchesRequestView(window));
        return PatchesRequestFunctor::Create(view.Get(), params, version.Get());
    };
    return steps;
}

VersionUpdateState::VersionUpdateState(IMainWindow* window, VersionUpdateSteps steps)
    : window_(window), steps_(std::move(steps)) {}

bool VersionUpdateState::OnCommand(int code, const WideString& argument) {
    if (SingleState::OnCommand(code, argument)) return true;
    using namespace PageCommand;
    switch (code) {
    case CheckAttributesRun:
        return StartStep<CheckAttributesState>(steps_.attributeCheck);
    case PatchesRequest:
        return StartStep<PatchesRequestState>(steps_.patchesRequest);
    case VersionUpdate:          // the initial check
    case PatchesDownload:        // the patch download
    case PatchesApply:           // the patch apply
    case PatchesApplyManually:   // the manual patch
        return StartMissingStep();
    default:
        return false;
    }
}

template <class State, class Factory>
bool VersionUpdateState::StartStep(const Factory& factory) {
    SetStep(nullptr);
    auto functor = factory ? factory(window_) : nullptr;
    if (!functor) return false;
    SetStep(new State(functor.Get()));
    return functor->Run();
}

bool VersionUpdateState::StartMissingStep() {
    SetStep(nullptr);
    return false;
}
