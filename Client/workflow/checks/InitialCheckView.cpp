#include "workflow/checks/InitialCheckView.h"

#include "workflow/StateIds.h"

RefPtr<ITimer> InitialCheckView::CreateTimer() { return CreateWindowTimer(TimerId::HttpRequest); }

void InitialCheckView::OnNeedRepair() { Send(u"InitialCheck.OnNeedRepair"); }

void InitialCheckView::OnReadyToUpdate() { Send(u"InitialCheck.OnReadyToUpdate"); }

void InitialCheckView::OnCheckRequest() { Send(u"InitialCheck.OnCheckRequest"); }

void InitialCheckView::Finish(const WideString& planPath) {
    if (window_) window_->FinishWithResult(planPath);
}

void InitialCheckView::Send(const char16_t* name) {
    if (window_) window_->SendEvent(WideString(name));
}
