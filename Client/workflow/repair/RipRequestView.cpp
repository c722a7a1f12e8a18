#include "workflow/repair/RipRequestView.h"

#include "base/runtime/StrUtil.h"
#include "workflow/StateIds.h"

RefPtr<ITimer> RipRequestView::CreateTimer() { return CreateWindowTimer(TimerId::RipRequest); }

void RipRequestView::OnGameVersionRepaired() { Send(u"Repair.OnGameVersionRepaired"); }

void RipRequestView::OnRequest() { Send(u"Repair.OnRequest"); }

void RipRequestView::OnAnswer() { Send(u"Repair.OnAnswer"); }

void RipRequestView::OnServerError(int code) { SendCode(u"Repair.OnServerError", code); }

void RipRequestView::OnLogicError(int code) { SendCode(u"Repair.OnLogicError", code); }

void RipRequestView::OnSaveError() { Send(u"Repair.OnSaveError"); }

void RipRequestView::Send(const char16_t* name) {
    if (window_) window_->SendEvent(WideString(name));
}

void RipRequestView::SendCode(const char16_t* name, int code) {
    if (!window_) return;
    WideStringVector arguments;
    arguments.PushBack(StrUtil::FormatW("%d", code));
    window_->SendEventArgs(WideString(name), arguments);
}
