#include "workflow/patches/VersionUpdateState.h"

#include "shell/AppParams.h"
#include "workflow/PageCommands.h"
#include "workflow/StateIds.h"
#include "workflow/checks/CheckAttributesFunctor.h"
#include "workflow/checks/CheckAttributesState.h"
#include "workflow/checks/InitialCheckFunctor.h"
#include "workflow/checks/InitialCheckState.h"
#include "workflow/patches/ManualPatchPlan.h"
#include "workflow/patches/PatchesApplyFunctor.h"
#include "workflow/patches/PatchesApplyState.h"
#include "workflow/patches/PatchesDownloadFunctor.h"
#include "workflow/patches/PatchesDownloadState.h"
#include "workflow/patches/PatchesRequestFunctor.h"
#include "workflow/patches/PatchesRequestState.h"

VersionUpdateSteps VersionUpdateSteps::Default() {
    VersionUpdateSteps steps;
    steps.initialCheck = InitialCheckFunctor::DefaultFactory();
    steps.attributeCheck = CheckAttributesFunctor::DefaultFactory();
    steps.patchesRequest = [](IMainWindow* window) -> RefPtr<IPatchesRequestFunctor> {
        AppParams* params = GetAppParams();
        RefPtr<Game::IGameVersion> version = params ? params->GetGameVersion() : nullptr;
        RefPtr<PatchesRequestView> view(new PatchesRequestView(window));
        return PatchesRequestFunctor::Create(view.Get(), params, version.Get());
    };
    steps.patchesDownload = [](IMainWindow* window, PatchInfos* patches) -> RefPtr<IPatchesDownloadFunctor> {
        RefPtr<PatchesDownloadView> view(new PatchesDownloadView(window));
        return PatchesDownloadFunctor::Create(view.Get(), GetAppParams(), patches,
                                              PatchesDownloadFunctor::EarlierFullVersion::Remove);
    };
    steps.manualPatch = [](IMainWindow* window) -> RefPtr<CumulativePatch> {
        IUserPrompt* prompt = window ? window->Prompt() : nullptr;
        AppParams* params = GetAppParams();
        if (!prompt || !params) return nullptr;
        RefPtr<Game::IGameVersion> version = params->GetGameVersion();
        return ChooseManualPatchPlan(*prompt, version ? version->GetVersion() : WideString());
    };
    steps.patchesApply = [](IMainWindow* window, CumulativePatch* plan) -> RefPtr<IPatchesApplyFunctor> {
        RefPtr<PatchesApplyView> view(new PatchesApplyView(window));
        return PatchesApplyFunctor::Create(view.Get(), GetAppParams(), plan);
    };
    return steps;
}

VersionUpdateState::VersionUpdateState(IMainWindow* window, VersionUpdateSteps steps)
    : window_(window), steps_(std::move(steps)) {}

bool VersionUpdateState::OnCommand(int code, const WideString& argument) {
    if (SingleState::OnCommand(code, argument)) return true;
    using namespace PageCommand;
    switch (code) {
    case VersionUpdate:
        return StartStep<InitialCheckState>(steps_.initialCheck);
    case CheckAttributesRun:
        return StartStep<CheckAttributesState>(steps_.attributeCheck);
    case PatchesRequest:
        return StartStep<PatchesRequestState>(steps_.patchesRequest);
    case PatchesDownload:
        return StartPatchDownload();
    case PatchesApply:
        return ApplyDownloadedPatches();
    case PatchesApplyManually:
        return ApplyPatchesManually();
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

bool VersionUpdateState::StartPatchDownload() {
    RefPtr<PatchInfos> patches;
    if (auto* request = static_cast<PatchesRequestState*>(FindState(StateId::PatchesRequest))) {
        patches = request->Functor()->GetResult();
    }
    const std::function<RefPtr<IPatchesDownloadFunctor>(IMainWindow*)> factory =
        [this, patches](IMainWindow* window) -> RefPtr<IPatchesDownloadFunctor> {
        return patches && steps_.patchesDownload ? steps_.patchesDownload(window, patches.Get()) : nullptr;
    };
    return StartStep<PatchesDownloadState>(factory);
}

bool VersionUpdateState::ApplyDownloadedPatches() {
    RefPtr<CumulativePatch> plan;
    if (auto* download = static_cast<PatchesDownloadState*>(FindState(StateId::PatchesDownload))) {
        plan = download->Functor()->GetResult();
    }
    return StartPatchApply(plan.Get());
}

bool VersionUpdateState::ApplyPatchesManually() {
    // The dialogue runs with the current step in place: a cancelled one changes nothing.
    RefPtr<CumulativePatch> plan = steps_.manualPatch ? steps_.manualPatch(window_) : nullptr;
    if (!plan) return false;
    return StartPatchApply(plan.Get());
}

bool VersionUpdateState::StartPatchApply(CumulativePatch* plan) {
    // Held for the call: a plan found in the download step goes with that step.
    RefPtr<CumulativePatch> held(plan);
    SetStep(nullptr);
    auto functor = plan && steps_.patchesApply ? steps_.patchesApply(window_, plan) : nullptr;
    if (!functor) return true;
    SetStep(new PatchesApplyState(functor.Get()));
    return functor->Run();
}
