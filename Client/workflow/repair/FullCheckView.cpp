#include "workflow/repair/FullCheckView.h"

#include "base/runtime/StrUtil.h"
#include "workflow/StateIds.h"
#include "workflow/repair/RipEvents.h"

RefPtr<ITimer> FullCheckView::CreateTimer() { return CreateWindowTimer(TimerId::FullCheck); }

void FullCheckView::OnStart() { Send(u"FullCheck.OnStart"); }

void FullCheckView::OnProgress(std::uint8_t percent) {
    if (!window_) return;
    WideStringVector arguments;
    arguments.PushBack(StrUtil::FormatW("%u", unsigned{percent}));
    window_->SendEventArgs(WideString(u"FullCheck.OnProgress"), arguments);
}

void FullCheckView::OnSuccess() { Send(u"FullCheck.OnSuccess"); }

void FullCheckView::OnComplete(const Rip& rip) { SendEntries(u"FullCheck.OnComplete", rip); }

void FullCheckView::OnSystemCrash(const Rip& rip) { SendEntries(u"FullCheck.OnSystemCrash", rip); }

void FullCheckView::OnFailGameVersion() { Send(u"FullCheck.OnFailGameVersion"); }

void FullCheckView::Send(const char16_t* name) {
    if (window_) window_->SendEvent(WideString(name));
}

void FullCheckView::SendEntries(const char16_t* name, const Rip& rip) {
    if (!window_) return;
    WideStringVector arguments;
    AppendRipEntries(arguments, rip);
    window_->SendEventArgs(WideString(name), arguments);
}
