#pragma once
// Makes the update server's torrents with libtorrent: v1, one top folder, its files in
// name order, 16 KiB pieces.
#include <string>
#include <vector>

struct TorrentSources {
    std::vector<std::string> webSeeds;
    std::vector<std::string> trackers;
};

// The torrent of the folder parent/top, written to torrentPath; false with a message
// on error.
bool MakeTorrent(const std::string& parent, const std::string& top, const TorrentSources& sources,
                 const std::string& torrentPath, std::string& error);
