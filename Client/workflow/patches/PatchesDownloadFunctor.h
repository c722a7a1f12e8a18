#pragma once
// Downloads the patch torrents that the patch request found, on the shared download
// engine, into the patches folder, and makes the plan of the downloaded files: per
// patch its version, its "game.version" and its patch files, and the applier that the
// last patch carried.
#include "engine/servers/PatchInfo.h"
#include "shell/AppParams.h"
#include "workflow/download/DownloadEngine.h"
#include "workflow/patches/IPatchesDownloadFunctor.h"
#include "workflow/patches/PatchesDownloadView.h"

class PatchesDownloadFunctor final : public IPatchesDownloadFunctor, private IDownloadSink {
public:
    // What a download does with a full version fetched before, in the patches folder's
    // "Full/": the version update's patches take its place once the download exists; the
    // future patches, which may run beside a full-version download, leave it.
    enum class EarlierFullVersion { Keep, Remove };

    // The run's download: the patches folder of the parameters, the player's session
    // settings and the channel rule. Null without a view, patches or parameters, or
    // when the session cannot be created.
    static RefPtr<PatchesDownloadFunctor> Create(PatchesDownloadView* view, const AppParams* params,
                                                 PatchInfos* patches,
                                                 EarlierFullVersion earlier = EarlierFullVersion::Keep);
    // The same on chosen engine options (their folder is the patches folder).
    // demoState 1 withholds the demo's "_1" patches.
    static RefPtr<PatchesDownloadFunctor> Create(PatchesDownloadView* view, const DownloadEngineOptions& options,
                                                 PatchInfos* patches, int demoState,
                                                 EarlierFullVersion earlier = EarlierFullVersion::Keep);

    bool Run() override;
    RefPtr<CumulativePatch> GetResult() override { return result_; }

    DownloadEngine* Engine() const { return engine_.Get(); }

private:
    PatchesDownloadFunctor(PatchesDownloadView* view, PatchInfos* patches, const DownloadEngineOptions& options,
                           int demoState);
    ~PatchesDownloadFunctor() override = default;

    // Engine events.
    void OnChecking() override { view_->OnChecking(); }
    void OnConnecting() override { view_->OnConnecting(); }
    void OnProgress(const TorrentProgress& sum, std::int64_t total) override { view_->OnProgress(sum, total); }
    void OnPeersInfo(const Vector<TorrentPeerInfo>& peers) override { view_->OnPeersInfo(peers); }
    void OnPeersLost() override { view_->OnPeersLost(); }
    void OnTorrentError() override { view_->OnTorrentError(); }
    void OnDiskSpaceError() override { view_->OnDiskSpaceError(); }
    bool OnAllFinished() override;
    void OnComplete() override { view_->OnDownloadComplete(); }
    void OnCompleteTimeout() override { view_->OnDownloadCompleteTimeout(); }
    bool CompletionTimeoutApplies() override;

    bool AddTorrents();
    // The demo's files of the torrent at index, without its "_1" patches.
    bool WithholdDemoPatches(std::size_t index);
    // The torrent's selected files into the plan; false when one is missing on disk or
    // its version file is not the signed one of the version the patch leads to.
    bool FillPatchItem(ITorrent& torrent, MultiPatchItem& item, CumulativePatch& plan) const;

    RefPtr<PatchesDownloadView> view_;
    RefPtr<PatchInfos> patches_;
    DownloadEngineOptions options_;
    RefPtr<DownloadEngine> engine_;
    RefPtr<CumulativePatch> result_;
    int demoState_;
    WideString applierName_;  // lower-cased
};

// The demo does not download the patches whose file name ends in "_1.patch" (the
// extension exactly so, in small letters).
bool IsDemoWithheldPatch(const String& path);
