#pragma once
// The patch download's page events: its own ("Patching." module) and the download
// events every download step shares.
#include <cstdint>

#include "engine/torrent/TorrentProgress.h"
#include "workflow/IView.h"

class PatchesDownloadView final : public IView {
public:
    explicit PatchesDownloadView(IMainWindow* window) : IView(window) {}

    RefPtr<ITimer> CreateTimer() override;
    void OnDownloadStart();
    void OnChecking();
    void OnConnecting();
    void OnProgress(const TorrentProgress& progress, std::int64_t total);
    void OnPeersInfo(const Vector<TorrentPeerInfo>& peers);
    void OnPeersLost();
    // In the future-update mode the downloaded future patch is remembered first
    // ("prepatch_ready", saved at once).
    void OnDownloadComplete();
    void OnTorrentError();
    void OnDiskSpaceError();
    void OnDownloadCompleteTimeout();

private:
    ~PatchesDownloadView() override = default;

    void Send(const char16_t* name);
};
