#include "workflow/patches/VersionUpdateState.h"

#include <filesystem>
#include <system_error>

#include "shell/AppParams.h"
#include "workflow/PageCommands.h"
#include "workflow/checks/CheckAttributesFunctor.h"
#include "workflow/checks/CheckAttributesState.h"
#include "workflow/patches/PatchesDownloadFunctor.h"
#include "workflow/patches/PatchesDownloadState.h"
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
    steps.patchesDownload = [](IMainWindow* window, PatchInfos* patches) -> RefPtr<IPatchesDownloadFunctor> {
        RefPtr<PatchesDownloadView> view(new PatchesDownloadView(window));
        return PatchesDownloadFunctor::Create(view.Get(), GetAppParams(), patches);
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
    case PatchesDownload:
        return StartPatchDownload();
    case VersionUpdate:          // the initial check
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

bool VersionUpdateState::StartPatchDownload() {
    RefPtr<PatchInfos> patches;
    if (auto* request = static_cast<PatchesRequestState*>(FindState(StateId::PatchesRequest))) {
        patches = request->Functor()->GetResult();
    }
    const std::function<RefPtr<IPatchesDownloadFunctor>(IMainWindow*)> factory =
        [this, patches](IMainWindow* window) -> RefPtr<IPatchesDownloadFunctor> {
        if (!patches || !steps_.patchesDownload) return nullptr;
        RefPtr<IPatchesDownloadFunctor> functor = steps_.patchesDownload(window, patches.Get());
        // A full version fetched before gives way to the patches.
        const AppParams* params = GetAppParams();
        if (functor && params && !params->patchesDir.IsEmpty()) {
            std::error_code ignored;
            std::filesystem::remove_all(std::filesystem::path(String(params->patchesDir).Std()) / "Full", ignored);
        }
        return functor;
    };
    return StartStep<PatchesDownloadState>(factory);
}

bool VersionUpdateState::StartMissingStep() {
    SetStep(nullptr);
    return false;
}
