#include "workflow/repair/FullCheckView.h"

#include "base/runtime/StrUtil.h"
#include "workflow/StateIds.h"

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
    int index = 0;
    for (const RipEntry& entry : rip.entries) {
        arguments.PushBack(entry.path);
        arguments.PushBack(StrUtil::FormatW("%u", unsigned{entry.size}));
        arguments.PushBack(StrUtil::FormatW("%d", int{entry.code}));
        arguments.PushBack(StrUtil::FormatW("%d", index++));
    }
    window_->SendEventArgs(WideString(name), arguments);
}
