#include "workflow/launcherupdate/LauncherDownloadFilesFunctor.h"

#include "shell/PathText.h"
#include "workflow/download/DownloaderEvents.h"

RefPtr<LauncherDownloadFilesFunctor> LauncherDownloadFilesFunctor::Create(LauncherDownloadView* view,
                                                                          const WideString& torrentPath) {
    return Create(view, torrentPath, DownloadEngineOptions::Production(PathText::Parent(torrentPath)));
}

RefPtr<LauncherDownloadFilesFunctor> LauncherDownloadFilesFunctor::Create(LauncherDownloadView* view,
                                                                          const WideString& torrentPath,
                                                                          DownloadEngineOptions options) {
    if (!view || torrentPath.IsEmpty()) return nullptr;
    RefPtr<LauncherDownloadFilesFunctor> functor(new LauncherDownloadFilesFunctor(view, torrentPath));
    // The new launcher downloads at full speed and every byte of it counts.
    options.folder = PathText::Parent(torrentPath);
    options.speedRule = DownloadSpeedRule::None;
    functor->engine_ = DownloadEngine::Create(options, functor.Get());
    return functor->engine_ ? functor : nullptr;
}

LauncherDownloadFilesFunctor::~LauncherDownloadFilesFunctor() {
    if (engine_) engine_->Release();
}

bool LauncherDownloadFilesFunctor::Run() {
    if (!engine_ || engine_->Started() || finished_) return false;
    if (engine_->TorrentCount() == 0 && !engine_->AddTorrent(PathText::LastComponent(torrentPath_))) {
        engine_->Release();
        engine_ = nullptr;
        view_->OnTorrentError();
        return false;
    }
    if (!engine_->Start(view_->CreateTimer())) return false;
    view_->OnStartFilesDownload();
    return true;
}

void LauncherDownloadFilesFunctor::OnChecking() { DownloaderEvents::OnChecking(view_->Window()); }
void LauncherDownloadFilesFunctor::OnConnecting() { DownloaderEvents::OnConnecting(view_->Window()); }

void LauncherDownloadFilesFunctor::OnProgress(const TorrentProgress& sum, std::int64_t total) {
    DownloaderEvents::OnProgress(view_->Window(), sum, total);
}

void LauncherDownloadFilesFunctor::OnPeersInfo(const Vector<TorrentPeerInfo>& peers) {
    DownloaderEvents::OnPeersInfo(view_->Window(), peers);
}

void LauncherDownloadFilesFunctor::OnPeersLost() { DownloaderEvents::OnPeersLost(view_->Window()); }
void LauncherDownloadFilesFunctor::OnTorrentError() { view_->OnTorrentError(); }
void LauncherDownloadFilesFunctor::OnDiskSpaceError() { DownloaderEvents::OnDiskSpaceError(view_->Window()); }

void LauncherDownloadFilesFunctor::OnComplete() {
    finished_ = true;
    view_->OnFinishFilesDownload();
}

void LauncherDownloadFilesFunctor::OnCompleteTimeout() { view_->OnDownloadCompleteTimeout(); }
