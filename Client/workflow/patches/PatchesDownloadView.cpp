#include "workflow/patches/PatchesDownloadView.h"

#include "shell/LauncherConfig.h"
#include "workflow/Settings.h"
#include "workflow/StateIds.h"
#include "workflow/WorkflowValues.h"
#include "workflow/download/DownloaderEvents.h"

RefPtr<ITimer> PatchesDownloadView::CreateTimer() { return CreateWindowTimer(TimerId::PatchesDownload); }

void PatchesDownloadView::OnDownloadStart() { Send(u"Patching.OnDownloadStart"); }

void PatchesDownloadView::OnChecking() { DownloaderEvents::OnChecking(window_); }

void PatchesDownloadView::OnConnecting() { DownloaderEvents::OnConnecting(window_); }

void PatchesDownloadView::OnProgress(const TorrentProgress& progress, std::int64_t total) {
    DownloaderEvents::OnProgress(window_, progress, total);
}

void PatchesDownloadView::OnPeersInfo(const Vector<TorrentPeerInfo>& peers) {
    DownloaderEvents::OnPeersInfo(window_, peers);
}

void PatchesDownloadView::OnPeersLost() { DownloaderEvents::OnPeersLost(window_); }

void PatchesDownloadView::OnDownloadComplete() {
    if (Workflow::FutureUpdate()) {
        Settings::prepatch_ready.SetString(Workflow::PrepatchVersion());
        SettingsStore().Save();
    }
    Send(u"Patching.OnDownloadComplete");
}

void PatchesDownloadView::OnTorrentError() { Send(u"Patching.OnTorrentError"); }

void PatchesDownloadView::OnDiskSpaceError() { DownloaderEvents::OnDiskSpaceError(window_); }

void PatchesDownloadView::OnDownloadCompleteTimeout() { Send(u"Patching.OnDownloadCompleteTimeout"); }

void PatchesDownloadView::Send(const char16_t* name) {
    if (window_) window_->SendEventArgs(WideString(name), WideStringVector());
}
