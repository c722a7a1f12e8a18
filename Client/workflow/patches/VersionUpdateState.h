#pragma once
// The update road as one container: the initial check, the attribute check, the patch
// request, the patch download and the patch apply (or the manual patch), each started
// by its own page command as the container's one current step. The page decides the
// next command from the events of each step; a step's result is found only while it is
// the current one.
//
// Only the patch request exists yet: the commands of the other steps let go of the
// current step and answer false.
#include <functional>

#include "workflow/IMainWindow.h"
#include "workflow/SingleState.h"
#include "workflow/patches/IPatchesRequestFunctor.h"

class VersionUpdateState final : public SingleState {
public:
    // Makes the patch request's functor for the window (null when it cannot run).
    using PatchesRequestFactory = std::function<RefPtr<IPatchesRequestFunctor>(IMainWindow* window)>;

    explicit VersionUpdateState(IMainWindow* window, PatchesRequestFactory makePatchesRequest = DefaultPatchesRequest());

    bool OnCommand(int code, const WideString& argument) override;

    // The real patch request: its view on the window, the run's parameters and the
    // installed game.
    static PatchesRequestFactory DefaultPatchesRequest();

private:
    ~VersionUpdateState() override = default;

    bool StartPatchRequest();
    // A step this launcher does not have yet.
    bool StartMissingStep();

    IMainWindow* window_;
    PatchesRequestFactory makePatchesRequest_;
};
