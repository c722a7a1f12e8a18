#pragma once
// Torrents for tests, made with libtorrent's own creator from files in a temporary
// tree: plain v1 torrents, and hybrid v1+v2 ones whose pad files align every file to
// a piece (what libtorrent 2.0 makes by default).
#include <string>
#include <vector>

#include "support/FileBytes.h"  // PatternBytes for payloads

struct PayloadFile {
    std::string path;  // below the torrent's top folder, '/'-separated
    std::string bytes;
};
using Payload = std::vector<PayloadFile>;

enum class TorrentFormat { V1, Hybrid };

struct TorrentOptions {
    TorrentFormat format = TorrentFormat::V1;
    int pieceSize = 16 * 1024;  // 0: libtorrent picks one for the size
    std::vector<std::string> trackers;
    std::vector<std::string> webSeeds;
};

// Writes the payload to folder/top/... and returns the bytes of a torrent of the top
// folder, its files in the payload's order; "" (and a test failure) when it cannot.
std::string MakeTorrent(const std::string& folder, const std::string& top, const Payload& payload,
                        const TorrentOptions& options = {});
// The torrent of files that are already in folder/top/..., listed in payload (bytes unused).
std::string TorrentOfFiles(const std::string& folder, const std::string& top, const Payload& payload,
                           const TorrentOptions& options = {});
