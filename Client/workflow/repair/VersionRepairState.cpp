#include "workflow/repair/VersionRepairState.h"

#include "shell/AppParams.h"
#include "workflow/PageCommands.h"
#include "workflow/StateIds.h"
#include "workflow/WorkflowValues.h"
#include "workflow/repair/FullCheckFunctor.h"
#include "workflow/repair/FullCheckState.h"

VersionRepairState::FullCheckFactory VersionRepairState::DefaultFullCheck() {
    return [](IMainWindow* window) -> RefPtr<IFullCheckFunctor> {
        RefPtr<FullCheckView> view(new FullCheckView(window));
        return FullCheckFunctor::Create(view.Get(), GetAppParams());
    };
}

VersionRepairState::VersionRepairState(IMainWindow* window, FullCheckFactory makeFullCheck)
    : window_(window), makeFullCheck_(std::move(makeFullCheck)) {}

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
    RefPtr<IFullCheckFunctor> functor = makeFullCheck_ ? makeFullCheck_(window_) : nullptr;
    if (!functor) return false;
    SetStep(new FullCheckState(functor.Get()));
    return functor->Run();
}

bool VersionRepairState::StartRipRequest(bool versionFileOnly) {
    (void)versionFileOnly;
    // A finished check is found only while it is the current step; otherwise the list
    // kept from an earlier check stays.
    if (auto* check = static_cast<FullCheckState*>(FindState(StateId::FullCheck))) rip_ = check->Functor()->GetResult();
    SetStep(nullptr);
    return false;  // the repair request is not part of this launcher yet
}

bool VersionRepairState::StartRipDownload() {
    SetStep(nullptr);
    return false;  // needs the repair request's answer, which nothing makes yet
}

bool VersionRepairState::StartRepair() {
    SetStep(nullptr);
    return false;  // needs the repair download's files, which nothing makes yet
}
