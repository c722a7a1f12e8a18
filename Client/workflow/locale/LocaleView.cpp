#include "workflow/locale/LocaleView.h"

namespace {

WideStringVector One(const WideString& text) {
    WideStringVector arguments;
    arguments.PushBack(text);
    return arguments;
}

}  // namespace

void LocaleView::OnLoad(const WideString& locale, const WideString& mainSite) {
    if (!window_) return;
    if (!mainSite.IsEmpty()) window_->SendEventArgs(WideString(u"Locale.SetMainSite"), One(mainSite));
    window_->SendEventArgs(WideString(u"Locale.OnLoad"), One(locale));
}
