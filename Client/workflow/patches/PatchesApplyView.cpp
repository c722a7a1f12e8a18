#include "workflow/patches/PatchesApplyView.h"

void PatchesApplyView::Finish(const WideString& planPath) {
    if (window_) window_->FinishWithResult(planPath);
}

void PatchesApplyView::OnFailed() {
    if (window_) window_->SendEvent(WideString(u"Patching.OnApplyFailed"));
}
