#include "workflow/launcherupdate/LauncherDownloadView.h"

#include "base/runtime/StrUtil.h"

namespace {

WideStringVector Code(int code) {
    WideStringVector arguments;
    arguments.PushBack(StrUtil::Int64ToWide(code));
    return arguments;
}

}  // namespace

void LauncherDownloadView::Send(const char16_t* name) {
    if (window_) window_->SendEvent(WideString(name));
}

void LauncherDownloadView::OnStartTorrentDownload() { Send(u"LauncherDownload.OnStartTorrentDownload"); }
void LauncherDownloadView::OnFinishTorrentDownload() { Send(u"LauncherDownload.OnFinishTorrentDownload"); }
void LauncherDownloadView::OnStartFilesDownload() { Send(u"LauncherDownload.OnStartFilesDownload"); }
void LauncherDownloadView::OnFinishFilesDownload() { Send(u"LauncherDownload.OnFinishFilesDownload"); }
void LauncherDownloadView::OnTorrentError() { Send(u"LauncherDownload.OnTorrentError"); }
void LauncherDownloadView::OnDownloadCompleteTimeout() { Send(u"LauncherDownload.OnDownloadCompleteTimeout"); }

void LauncherDownloadView::OnServerError(int code) {
    if (window_) window_->SendEventArgs(WideString(u"LauncherDownload.OnServerError"), Code(code));
}

void LauncherDownloadView::OnLogicError(int code) {
    if (window_) window_->SendEventArgs(WideString(u"LauncherDownload.OnLogicError"), Code(code));
}
