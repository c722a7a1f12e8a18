#include "workflow/checks/FastCheckView.h"

void FastCheckView::OnSuccess() {
    if (window_) window_->SendEvent(WideString(u"FastCheck.OnSuccess"));
}

void FastCheckView::OnFail() {
    if (window_) window_->SendEvent(WideString(u"FastCheck.OnFail"));
}
