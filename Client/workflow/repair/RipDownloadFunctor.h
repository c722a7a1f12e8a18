#pragma once
// Downloads just the damaged files from the repair torrent, on the shared download
// engine, and hands them on as a RipPatch once the torrent has finished. The launcher
// torrent only tells which files belong to the launcher itself: those cannot be
// replaced while it runs, so such a repair downloads nothing. The demo's full-version
// download runs the same step into a subfolder of the patches folder.
#include "engine/servers/RipPatchInfo.h"
#include "shell/AppParams.h"
#include "workflow/download/DownloadEngine.h"
#include "workflow/repair/IRipDownloadFunctor.h"
#include "workflow/repair/RipDownloadView.h"

class RipDownloadFunctor final : public IRipDownloadFunctor, private IDownloadSink {
public:
    // The run's download into the patches folder (its subfolder, when one is named,
    // made as needed), with the player's session settings. Null without a view,
    // parameters, damaged files or a repair set, or when the session cannot be made.
    static RefPtr<RipDownloadFunctor> Create(RipDownloadView* view, AppParams* params, Rip* rip, RipPatchInfo* info,
                                             const WideString& subfolder = WideString());
    // The same on chosen engine options; their folder is the download folder.
    static RefPtr<RipDownloadFunctor> Create(RipDownloadView* view, const DownloadEngineOptions& options,
                                             AppParams* params, Rip* rip, RipPatchInfo* info);

    bool Run(WideString* torrentName) override;
    RefPtr<RipPatch> GetResult() override { return result_; }

    DownloadEngine* Engine() const { return engine_.Get(); }

    // The repair's engine settings: alerts before the step's tick, no early states, no
    // torrents log, no completion time-out, the completion told on every tick, and the
    // game's speed rule only for the demo's full version.
    static DownloadEngineOptions RepairOptions(DownloadEngineOptions options);

private:
    RipDownloadFunctor(RipDownloadView* view, const DownloadEngineOptions& options, AppParams* params, Rip* rip,
                       RipPatchInfo* info);
    ~RipDownloadFunctor() override = default;

    // Engine events.
    void OnChecking() override {}
    void OnConnecting() override {}
    void OnProgress(const TorrentProgress& sum, std::int64_t total) override { view_->OnProgress(sum, total); }
    void OnPeersInfo(const Vector<TorrentPeerInfo>& peers) override { view_->OnPeersInfo(peers); }
    void OnPeersLost() override { view_->OnPeersLost(); }
    void OnTorrentError() override { view_->OnError(); }
    void OnDiskSpaceError() override { view_->OnDiskSpaceError(); }
    bool OnAllFinished() override;
    void OnComplete() override;
    void OnCompleteTimeout() override {}

    // The demo's marker names the download's folder, for the end of the run.
    void WriteDemoMarkerOld(const WideString& torrentName) const;

    RefPtr<RipDownloadView> view_;
    RefPtr<AppParams> params_;
    RefPtr<Rip> rip_;
    RefPtr<RipPatchInfo> info_;
    WideString folder_;
    RefPtr<DownloadEngine> engine_;
    RefPtr<ITorrent> torrent_;
    WideString rootFolder_;
    RefPtr<RipPatch> result_;
};

// True when a damaged file lies in a folder whose name contains "bin" and carries the
// name of one of the launcher's files (letter case counts; '/' and '\' both separate).
bool IsLauncherRepair(const StringVector& damaged, const StringVector& launcherFiles);
