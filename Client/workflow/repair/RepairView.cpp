#include "workflow/repair/RepairView.h"

#include "base/runtime/StrUtil.h"
#include "workflow/StateIds.h"
#include "workflow/repair/RipEvents.h"

RefPtr<ITimer> RepairView::CreateTimer() { return CreateWindowTimer(TimerId::Repair); }

void RepairView::OnApply() {
    if (window_) window_->SendEvent(WideString(u"Repair.OnApply"));
}

void RepairView::OnProgress(std::uint8_t percent) {
    if (!window_) return;
    WideStringVector arguments;
    arguments.PushBack(StrUtil::FormatW("%u", unsigned{percent}));
    window_->SendEventArgs(WideString(u"Repair.OnProgress"), arguments);
}

void RepairView::OnSuccess(const Rip& rip) {
    if (!window_) return;
    WideStringVector arguments;
    AppendRipEntries(arguments, rip);
    window_->SendEventArgs(WideString(u"Repair.OnSuccess"), arguments);
}

void RepairView::OnFail(const Rip& rip, int pageCode) {
    if (!window_) return;
    WideStringVector arguments;
    arguments.PushBack(StrUtil::FormatW("%d", pageCode));
    AppendRipEntries(arguments, rip);
    window_->SendEventArgs(WideString(u"Repair.OnFail"), arguments);
}

void RepairView::OnLockedFile(const WideString& source, const WideString& target) {
    if (!window_) return;
    WideStringVector arguments;
    arguments.PushBack(source);
    arguments.PushBack(target);
    window_->SendEventArgs(WideString(u"Repair.OnLockedFile"), arguments);
}
