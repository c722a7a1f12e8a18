#pragma once
// The update road as one container: the initial check, the attribute check, the patch
// request, the patch download and the patch apply (or the manual patch), each started
// by its own page command as the container's one current step. The page decides the
// next command from the events of each step; a step's result is found only while it is
// the current one.
#include <functional>

#include "workflow/IMainWindow.h"
#include "workflow/SingleState.h"
#include "workflow/checks/ICheckAttributesFunctor.h"
#include "workflow/checks/IInitialCheckFunctor.h"
#include "workflow/patches/IPatchesApplyFunctor.h"
#include "workflow/patches/IPatchesDownloadFunctor.h"
#include "workflow/patches/IPatchesRequestFunctor.h"
#include "workflow/patches/MultiPatch.h"

// Makes the patch request's functor for the window (null when it cannot run).
using PatchesRequestFactory = std::function<RefPtr<IPatchesRequestFunctor>(IMainWindow* window)>;
// Makes the patch apply's functor for the window and a plan (null when it cannot run).
using PatchesApplyFactory = std::function<RefPtr<IPatchesApplyFunctor>(IMainWindow* window, CumulativePatch* plan)>;
// The manual patch's dialogue over the window: the chain the player chose and
// confirmed, as a plan; null when the player cancelled or said no.
using ManualPatchChooser = std::function<RefPtr<CumulativePatch>(IMainWindow* window)>;

// Makes the patch download's functor for the window and the requested patches (null
// when it cannot run).
using PatchesDownloadFactory = std::function<RefPtr<IPatchesDownloadFunctor>(IMainWindow* window, PatchInfos* patches)>;

// How the container makes its steps.
struct VersionUpdateSteps {
    InitialCheckFactory initialCheck;      // 80
    AttributeCheckFactory attributeCheck;  // 45
    PatchesRequestFactory patchesRequest;  // 30
    PatchesDownloadFactory patchesDownload;  // 300
    ManualPatchChooser manualPatch;        // 3001
    PatchesApplyFactory patchesApply;      // 3000 and 3001

    // The real steps: their views on the window, the run's parameters.
    static VersionUpdateSteps Default();
};

class VersionUpdateState final : public SingleState {
public:
    explicit VersionUpdateState(IMainWindow* window, VersionUpdateSteps steps = VersionUpdateSteps::Default());

    bool OnCommand(int code, const WideString& argument) override;

private:
    ~VersionUpdateState() override = default;

    // The common shape of a start: the previous step goes first, so a step that
    // cannot start leaves none.
    template <class State, class Factory>
    bool StartStep(const Factory& factory);
    // 300: the patches of the request that is the current step.
    bool StartPatchDownload();
    // 3000: the plan of the download that is the current step.
    bool ApplyDownloadedPatches();
    // 3001: the plan the player put together from folders on disk.
    bool ApplyPatchesManually();
    // The apply step for the plan; without a plan, or when no step can be made for it,
    // the container is left without a step and the command still counts as taken.
    bool StartPatchApply(CumulativePatch* plan);

    IMainWindow* window_;
    VersionUpdateSteps steps_;
};
