#pragma once
// The two records a torrent reports through: its progress and one entry per peer.
#include <cstdint>

#include "base/runtime/String.h"

struct TorrentProgress {
    int percent = 0;                // of the payload, truncated; 0 for an empty torrent
    int numPeers = 0;
    std::int64_t totalDone = 0;     // bytes
    std::int64_t wantedDone = 0;    // bytes of the selected payload files
    int downloadRate = 0;           // payload bytes per second
    std::int64_t uploaded = 0;      // payload bytes uploaded
    std::int64_t uploadRate = 0;    // payload bytes per second
};

struct TorrentPeerInfo {
    WideString endpoint;            // "ADDRESS : PORT"
    WideString id;                  // the peer id as text, safe for a log line
    int upSpeed = 0;                // 0 until something was uploaded to the peer
    int downSpeed = 0;              // bytes per second
    std::uint32_t totalDownload = 0;  // low 32 bits
    std::uint32_t totalUpload = 0;    // low 32 bits
};
