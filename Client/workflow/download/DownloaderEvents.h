#pragma once
// The page events that every download step shares ("Downloader." module and the
// disk-space error). Byte counts go to the page as whole decimal texts, 64-bit.
#include <cstdint>

#include "base/runtime/Vector.h"
#include "engine/torrent/TorrentProgress.h"
#include "workflow/IMainWindow.h"

namespace DownloaderEvents {

// The peer report lists at most this many peers.
constexpr std::size_t kMaxPeers = 20;

void OnChecking(IMainWindow* window);
void OnConnecting(IMainWindow* window);
// percent, bytes done, total bytes, download rate, upload rate (bytes per second),
// bytes uploaded.
void OnProgress(IMainWindow* window, const TorrentProgress& progress, std::int64_t total);
// Five texts per peer, in list order: endpoint, downloaded, download speed, uploaded,
// upload speed; no arguments without peers.
void OnPeersInfo(IMainWindow* window, const Vector<TorrentPeerInfo>& peers);
void OnPeersLost(IMainWindow* window);
// "Launcher.OnDiskSpaceError".
void OnDiskSpaceError(IMainWindow* window);

}  // namespace DownloaderEvents
