#pragma once
// The repair download's page events: its own ("Repair." module, "App.SetDemoState")
// and the ones every download step shares.
#include <cstdint>

#include "engine/torrent/TorrentProgress.h"
#include "workflow/IView.h"

class RipDownloadView final : public IView {
public:
    explicit RipDownloadView(IMainWindow* window) : IView(window) {}

    RefPtr<ITimer> CreateTimer() override;
    void OnDownloadStart();
    // Files of the launcher itself are damaged: nothing is downloaded.
    void OnLauncherRepair();
    // The demo's full version is in: the page hears demo state 0.
    void SetDemoState();
    void OnProgress(const TorrentProgress& progress, std::int64_t total);
    void OnPeersInfo(const Vector<TorrentPeerInfo>& peers);
    void OnPeersLost();
    void OnDownloadComplete();
    void OnError();
    void OnDiskSpaceError();

private:
    ~RipDownloadView() override = default;

    void Send(const char16_t* name);
};
