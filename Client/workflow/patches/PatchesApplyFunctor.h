#pragma once
// The last step of a patch update inside the launcher: the applier that came with the
// patches goes next to the launcher, the plan goes to "patching.cmd" in the patches
// folder, and the window closes with the plan's path, so that the launcher starts the
// applier with it once it has ended.
#include "shell/AppParams.h"
#include "workflow/patches/IPatchesApplyFunctor.h"
#include "workflow/patches/MultiPatch.h"
#include "workflow/patches/PatchesApplyView.h"

class PatchesApplyFunctor final : public IPatchesApplyFunctor {
public:
    // Null without a view, the run's parameters or a plan.
    static RefPtr<PatchesApplyFunctor> Create(PatchesApplyView* view, AppParams* params, CumulativePatch* plan);

    bool Run() override;

    // The plan in the XML form as the patches folder's "patching.cmd", without the
    // applier's path; false unless every byte reached the file.
    bool WritePlan(const MultiPatch& plan) const;
    // Where the plan goes: the patches folder followed by the plan's name.
    WideString PlanPath() const;
    // Where the applier goes: the launcher's own folder followed by its name.
    WideString ApplierDestination() const;

private:
    PatchesApplyFunctor(PatchesApplyView* view, AppParams* params, CumulativePatch* plan)
        : view_(view), params_(params), plan_(plan) {}
    ~PatchesApplyFunctor() override = default;

    RefPtr<PatchesApplyView> view_;
    RefPtr<AppParams> params_;
    RefPtr<CumulativePatch> plan_;
};

// Copies the program at from over to through a temporary file (platform/posix/FileMove.h),
// made executable (0755). Only a regular file is copied, never one reached through a
// link; false, with the old program whole and no temporary file left, when anything failed.
bool CopyApplier(const WideString& from, const WideString& to);
