#include "support/torrents/LoopbackSwarm.h"

std::string LoopbackSwarm::Publish(const std::string& top, const Payload& payload, const TorrentOptions& options) {
    const std::string torrent = MakeTorrent(folder_.Path(), top, payload, options);
    if (torrent.empty() || !seed_.Seed(torrent, folder_.Path())) return "";
    return torrent;
}
