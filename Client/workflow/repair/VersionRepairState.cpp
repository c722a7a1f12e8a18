#include "workflow/repair/VersionRepairState.h"

#include "shell/AppParams.h"
#include "workflow/PageCommands.h"
#include "workflow/StateIds.h"
#include "workflow/WorkflowValues.h"
#include "workflow/repair/FullCheckFunctor.h"
#include "workflow/repair/FullCheckState.h"
#include "workflow/repair/RepairFunctor.h"
#include "workflow/repair/RepairState.h"
#include "workflow/repair/RipDownloadFunctor.h"
#include "workflow/repair/RipDownloadState.h"
#include "workflow/repair/RipRequestFunctor.h"
#include "workflow/repair/RipRequestState.h"

namespace {

// The step of that id and class while it is the current one; null otherwise.
template <class Step>
Step* CurrentStep(SingleState& container, int id) {
    return static_cast<Step*>(container.FindState(id));
}

}  // namespace

VersionRepairSteps VersionRepairSteps::Default() {
    VersionRepairSteps steps;
    steps.fullCheck = [](IMainWindow* window) -> RefPtr<IFullCheckFunctor> {
        RefPtr<FullCheckView> view(new FullCheckView(window));
        return FullCheckFunctor::Create(view.Get(), GetAppParams());
    };
    steps.ripRequest = [](IMainWindow* window, bool versionFileOnly) -> RefPtr<IRipRequestFunctor> {
        RefPtr<RipRequestView> view(new RipRequestView(window));
        return RipRequestFunctor::Create(view.Get(), GetAppParams(), versionFileOnly);
    };
    steps.ripDownload = [](IMainWindow* window, Rip* rip, RipPatchInfo* info) -> RefPtr<IRipDownloadFunctor> {
        RefPtr<RipDownloadView> view(new RipDownloadView(window));
        return RipDownloadFunctor::Create(view.Get(), GetAppParams(), rip, info);
    };
    steps.repair = [](IMainWindow* window, RipPatch* job) -> RefPtr<IRepairFunctor> {
        RefPtr<RepairView> view(new RepairView(window));
        return RepairFunctor::Create(view.Get(), GetAppParams(), job);
    };
    return steps;
}

VersionRepairState::VersionRepairState(IMainWindow* window, VersionRepairSteps steps)
    : window_(window), steps_(std::move(steps)) {}

bool VersionRepairState::OnCommand(int code, const WideString& argument) {
    if (SingleState::OnCommand(code, argument)) return true;
    using namespace PageCommand;
    switch (code) {
    case ProgressiveFullCheckRun:
        Workflow::MinimumCheck() = false;
        return StartFullCheck();
    case ProgressiveMinimumCheckRun:
        Workflow::MinimumCheck() = true;
        return StartFullCheck();
    case FullCheckRun:
        return StartFullCheck();
    case RipRequest:
        return StartRipRequest(false);
    case RepairGameVersion:
        return StartRipRequest(true);
    case RipDownload:
        return StartRipDownload();
    case RipApply:
        return StartRepair();
    default:
        return false;
    }
}

bool VersionRepairState::StartFullCheck() {
    SetStep(nullptr);
    RefPtr<IFullCheckFunctor> functor = steps_.fullCheck ? steps_.fullCheck(window_) : nullptr;
    if (!functor) return false;
    SetStep(new FullCheckState(functor.Get()));
    return functor->Run();
}

bool VersionRepairState::StartRipRequest(bool versionFileOnly) {
    // A finished check replaces the kept list (also by none); otherwise it stays.
    if (auto* check = CurrentStep<FullCheckState>(*this, StateId::FullCheck)) rip_ = check->Functor()->GetResult();
    SetStep(nullptr);
    RefPtr<IRipRequestFunctor> functor = steps_.ripRequest ? steps_.ripRequest(window_, versionFileOnly) : nullptr;
    if (!functor) return false;
    SetStep(new RipRequestState(functor.Get()));
    return functor->Run();
}

bool VersionRepairState::StartRipDownload() {
    RefPtr<RipPatchInfo> info;
    if (auto* request = CurrentStep<RipRequestState>(*this, StateId::RipRequest)) info = request->Functor()->GetResult();
    SetStep(nullptr);
    if (!rip_ || rip_->entries.Empty() || !info || !steps_.ripDownload) return false;
    RefPtr<IRipDownloadFunctor> functor = steps_.ripDownload(window_, rip_.Get(), info.Get());
    if (!functor) return false;
    SetStep(new RipDownloadState(functor.Get()));
    return functor->Run(nullptr);
}

bool VersionRepairState::StartRepair() {
    RefPtr<RipPatch> job;
    if (auto* download = CurrentStep<RipDownloadState>(*this, StateId::RipDownload)) job = download->Functor()->GetResult();
    // The download's session ends here, so that its files are closed before they move.
    SetStep(nullptr);
    if (!job || !steps_.repair) return false;
    RefPtr<IRepairFunctor> functor = steps_.repair(window_, job.Get());
    if (!functor) return false;
    SetStep(new RepairState(functor.Get()));
    return functor->Run();
}
