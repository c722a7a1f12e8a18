#include "workflow/launcherupdate/LauncherUpdateView.h"

void LauncherUpdateView::Send(const char16_t* name) {
    if (window_) window_->SendEvent(WideString(name));
}

void LauncherUpdateView::OnNoNeedUpdate() { Send(u"LauncherUpdate.OnNoNeedUpdate"); }
void LauncherUpdateView::OnDeleteTempDir() { Send(u"LauncherUpdate.OnDeleteTempDir"); }
void LauncherUpdateView::OnNeedUpdate() { Send(u"LauncherUpdate.OnNeedUpdate"); }
void LauncherUpdateView::OnUpdated() { Send(u"LauncherUpdate.OnUpdated"); }
void LauncherUpdateView::OnNotUpdated() { Send(u"LauncherUpdate.OnNotUpdated"); }

void LauncherUpdateView::OnLockedFiles(const WideStringVector& paths) {
    if (window_) window_->SendEventArgs(WideString(u"LauncherUpdate.OnLockedFiles"), paths);
}
