#include "workflow/patches/PatchesApplyFunctor.h"

#include "base/runtime/StrUtil.h"
#include "platform/posix/FileMove.h"
#include "shell/PathText.h"
#include "shell/resources/StringIds.h"
#include "shell/resources/StringTable.h"
#include "workflow/patches/PatchPlanFile.h"


bool CopyApplier(const WideString& from, const WideString& to) {
    if (from.IsEmpty() || to.IsEmpty()) return false;
    return CopyFileReplacing(StrUtil::ToNarrow(from).Std(), StrUtil::ToNarrow(to).Std(), CopyMode::Fixed(0755)) == 0;
}

RefPtr<PatchesApplyFunctor> PatchesApplyFunctor::Create(PatchesApplyView* view, AppParams* params,
                                                        CumulativePatch* plan) {
    if (!view || !params || !plan) return nullptr;
    return RefPtr<PatchesApplyFunctor>(new PatchesApplyFunctor(view, params, plan));
}

WideString PatchesApplyFunctor::PlanPath() const {
    return PathText::Join(params_->patchesDir, LoadResString(StringId::PatchPlanName));
}

WideString PatchesApplyFunctor::ApplierDestination() const {
    return PathText::Join(params_->binDir, LoadResString(StringId::PatchApplier));
}

bool PatchesApplyFunctor::WritePlan(const MultiPatch& plan) const { return WritePatchPlan(plan, PlanPath()); }

bool PatchesApplyFunctor::Run() {
    // The applier first: a plan without its applier would be handed to an old one.
    if (!CopyApplier(plan_->applierPath, ApplierDestination()) || !WritePlan(*plan_)) {
        view_->OnFailed();
        return false;
    }
    view_->Finish(PlanPath());
    return true;
}
