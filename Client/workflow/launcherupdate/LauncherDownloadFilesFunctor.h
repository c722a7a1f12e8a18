#pragma once
// The second step of the launcher download: the shared download engine on the saved
// "Launcher.torrent", with its folder as the session's folder, no speed limit and no
// selection of files. Its progress goes to the page as the shared "Downloader."
// events; its end as "LauncherDownload.OnFinishFilesDownload".
#include "workflow/IState.h"
#include "workflow/StateIds.h"
#include "workflow/download/DownloadEngine.h"
#include "workflow/launcherupdate/LauncherDownloadView.h"

class LauncherDownloadFilesFunctor final : public RefCounter, private IDownloadSink {
public:
    // The player's torrent settings on the torrent's folder; null without a view or a
    // path, or when no session can be made.
    static RefPtr<LauncherDownloadFilesFunctor> Create(LauncherDownloadView* view, const WideString& torrentPath);
    // With the given engine settings (their folder is replaced by the torrent's).
    static RefPtr<LauncherDownloadFilesFunctor> Create(LauncherDownloadView* view, const WideString& torrentPath,
                                                       DownloadEngineOptions options);

    bool Run();
    WideString GetResult() const { return torrentPath_; }
    // Every file of the new launcher is on disk.
    bool Finished() const { return finished_; }

private:
    LauncherDownloadFilesFunctor(LauncherDownloadView* view, const WideString& torrentPath)
        : view_(view), torrentPath_(torrentPath) {}
    ~LauncherDownloadFilesFunctor() override;

    void OnChecking() override;
    void OnConnecting() override;
    void OnProgress(const TorrentProgress& sum, std::int64_t total) override;
    void OnPeersInfo(const Vector<TorrentPeerInfo>& peers) override;
    void OnPeersLost() override;
    void OnTorrentError() override;
    void OnDiskSpaceError() override;
    bool OnAllFinished() override { return true; }
    void OnComplete() override;
    void OnCompleteTimeout() override;

    RefPtr<LauncherDownloadView> view_;
    WideString torrentPath_;
    RefPtr<DownloadEngine> engine_;
    bool finished_ = false;
};

class LauncherDownloadFilesState final : public IState {
public:
    explicit LauncherDownloadFilesState(LauncherDownloadFilesFunctor* functor) : functor_(functor) {}

    bool OnCommand(int, const WideString&) override { return false; }
    int GetId() const override { return StateId::LauncherDownloadFiles; }
    LauncherDownloadFilesFunctor* Functor() const { return functor_.Get(); }

private:
    ~LauncherDownloadFilesState() override = default;

    RefPtr<LauncherDownloadFilesFunctor> functor_;
};
