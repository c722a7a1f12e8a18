#pragma once
// A swarm on loopback for download tests: a temporary folder holding the published
// payloads, and a libtorrent seed (SeedSession, 127.0.0.2) seeding each of them.
//
//     LoopbackSwarm swarm;
//     const std::string torrent = swarm.Publish("patch", {{"a.bin", PatternBytes(300000, 1)}});
//     ... write torrent into the session folder, add it, ConnectToSeed(*t, swarm.Seed().Endpoint())
#include <string>

#include "support/TempDir.h"
#include "support/torrents/SeedSession.h"
#include "support/torrents/TorrentFixtures.h"

class LoopbackSwarm {
public:
    LoopbackSwarm() = default;
    explicit LoopbackSwarm(const SeedSession::Options& seed) : seed_(seed) {}

    // Writes the payload to Folder()/top/..., makes its torrent and seeds it; the bytes
    // of the torrent, "" on failure.
    std::string Publish(const std::string& top, const Payload& payload, const TorrentOptions& options = {});

    SeedSession& Seed() { return seed_; }
    // Where the published files lie, with a trailing '/'.
    const std::string& Folder() const { return folder_.Path(); }

private:
    TempDir folder_;
    SeedSession seed_;
};
