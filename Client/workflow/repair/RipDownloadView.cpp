#include "workflow/repair/RipDownloadView.h"

#include "workflow/StateIds.h"
#include "workflow/download/DownloaderEvents.h"

RefPtr<ITimer> RipDownloadView::CreateTimer() { return CreateWindowTimer(TimerId::RipDownload); }

void RipDownloadView::OnDownloadStart() { Send(u"Repair.OnDownloadStart"); }

void RipDownloadView::OnLauncherRepair() { Send(u"Repair.OnLauncherRepair"); }

void RipDownloadView::SetDemoState() {
    if (!window_) return;
    WideStringVector arguments;
    arguments.PushBack(WideString(u"0"));
    window_->SendEventArgs(WideString(u"App.SetDemoState"), arguments);
}

void RipDownloadView::OnProgress(const TorrentProgress& progress, std::int64_t total) {
    DownloaderEvents::OnProgress(window_, progress, total);
}

void RipDownloadView::OnPeersInfo(const Vector<TorrentPeerInfo>& peers) { DownloaderEvents::OnPeersInfo(window_, peers); }

void RipDownloadView::OnPeersLost() { DownloaderEvents::OnPeersLost(window_); }

void RipDownloadView::OnDownloadComplete() { Send(u"Repair.OnDownloadComplete"); }

void RipDownloadView::OnError() { Send(u"Repair.OnError"); }

void RipDownloadView::OnDiskSpaceError() { DownloaderEvents::OnDiskSpaceError(window_); }

void RipDownloadView::Send(const char16_t* name) {
    if (window_) window_->SendEvent(WideString(name));
}
