#include "support/torrents/LoopbackSwarm.h"

LoopbackSwarm::LoopbackSwarm(const SeedSession::Options& seed) : seed_(seed) { http_.ServeFolder(folder_.Path()); }

std::string LoopbackSwarm::Publish(const std::string& top, const Payload& payload, const TorrentOptions& options) {
    const std::string torrent = MakeTorrent(folder_.Path(), top, payload, options);
    if (torrent.empty() || !seed_.Seed(torrent, folder_.Path())) return "";
    // The seed listens by now: a fresh session may not have had its port yet.
    http_.SetTrackerPeers({{seed_.Address(), static_cast<std::uint16_t>(seed_.Port())}});
    return torrent;
}
