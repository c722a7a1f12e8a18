#pragma once
// The update road as one container: the initial check, the attribute check, the patch
// request, the patch download and the patch apply (or the manual patch), each started
// by its own page command as the container's one current step. The page decides the
// next command from the events of each step; a step's result is found only while it is
// the current one.
//
// The attribute check, the patch request and the patch download exist yet: the
// commands of the other steps let go of the current step and answer false.
#include <functional>

#include "workflow/IMainWindow.h"
#include "workflow/SingleState.h"
#include "workflow/checks/ICheckAttributesFunctor.h"
#include "workflow/patches/IPatchesDownloadFunctor.h"
#include "workflow/patches/IPatchesRequestFunctor.h"

// Makes the patch request's functor for the window (null when it cannot run).
using PatchesRequestFactory = std::function<RefPtr<IPatchesRequestFunctor>(IMainWindow* window)>;

// Makes the patch download's functor for the window and the requested patches (null
// when it cannot run).
using PatchesDownloadFactory = std::function<RefPtr<IPatchesDownloadFunctor>(IMainWindow* window, PatchInfos* patches)>;

// How the container makes its steps.
struct VersionUpdateSteps {
    AttributeCheckFactory attributeCheck;  // 45
    PatchesRequestFactory patchesRequest;  // 30
    PatchesDownloadFactory patchesDownload;  // 300

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
    // A step this launcher does not have yet.
    bool StartMissingStep();

    IMainWindow* window_;
    VersionUpdateSteps steps_;
};
