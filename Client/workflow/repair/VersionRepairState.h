#pragma once
// The repair road as one container: the full check finds the damaged files, then the
// repair request, the repair download and the repair itself, each started by its own
// page command once the previous step has reported. The container keeps the damaged
// files of the last full check for the steps after it; every other result is taken
// from the step that made it, and only while that step is the current one.
#include <functional>

#include "engine/servers/RipPatchInfo.h"
#include "workflow/IMainWindow.h"
#include "workflow/SingleState.h"
#include "workflow/repair/IFullCheckFunctor.h"
#include "workflow/repair/IRepairFunctor.h"
#include "workflow/repair/IRipDownloadFunctor.h"
#include "workflow/repair/IRipRequestFunctor.h"

// How the container makes its steps; each factory answers null when its step cannot run.
struct VersionRepairSteps {
    std::function<RefPtr<IFullCheckFunctor>(IMainWindow* window)> fullCheck;  // 50, 501, 502
    std::function<RefPtr<IRipRequestFunctor>(IMainWindow* window, bool versionFileOnly)> ripRequest;  // 60, 6
    // Null also without damaged files or a repair set.
    std::function<RefPtr<IRipDownloadFunctor>(IMainWindow* window, Rip* rip, RipPatchInfo* info)> ripDownload;  // 600
    // Null also without downloaded files.
    std::function<RefPtr<IRepairFunctor>(IMainWindow* window, RipPatch* job)> repair;  // 6000

    // The real steps: their views on the window, the run's parameters.
    static VersionRepairSteps Default();
};

class VersionRepairState final : public SingleState {
public:
    explicit VersionRepairState(IMainWindow* window, VersionRepairSteps steps = VersionRepairSteps::Default());

    bool OnCommand(int code, const WideString& argument) override;

    // The damaged files handed on from the last full check; null when there were none.
    Rip* KeptRip() const { return rip_.Get(); }

private:
    ~VersionRepairState() override = default;

    bool StartFullCheck();
    bool StartRipRequest(bool versionFileOnly);
    bool StartRipDownload();
    bool StartRepair();

    IMainWindow* window_;
    VersionRepairSteps steps_;
    RefPtr<Rip> rip_;
};
