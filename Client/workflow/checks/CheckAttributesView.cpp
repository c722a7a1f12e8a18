#include "workflow/checks/CheckAttributesView.h"

#include "workflow/StateIds.h"

RefPtr<ITimer> CheckAttributesView::CreateTimer() { return CreateWindowTimer(TimerId::AttributeCheck); }

void CheckAttributesView::OnStartChecking() {
    if (window_) window_->SendEvent(WideString(u"CheckAttributes.OnStartChecking"));
}

void CheckAttributesView::OnSuccessChecking() {
    if (window_) window_->SendEvent(WideString(u"CheckAttributes.OnSuccessChecking"));
}

void CheckAttributesView::OnFailedChecking(const WideStringVector& folders) {
    if (!window_) return;
    if (folders.Empty()) {
        window_->SendEvent(WideString(u"CheckAttributes.OnFailedChecking_UnknownError"));
    } else {
        window_->SendEventArgs(WideString(u"CheckAttributes.OnFailedChecking_ResetAttrError"), folders);
    }
}
