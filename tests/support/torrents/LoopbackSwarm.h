#pragma once
// A swarm on loopback for download tests: a temporary folder holding the published
// payloads, a libtorrent seed (SeedSession, 127.0.0.2) seeding each of them, and a
// loopback HTTP server (127.0.0.1) that serves the folder as a web seed and answers
// "/announce" with the seed's endpoint.
//
//     LoopbackSwarm swarm;
//     const std::string torrent = swarm.Publish("patch", {{"a.bin", PatternBytes(300000, 1)}},
//                                               {.trackers = {swarm.TrackerUrl()}});
//     config.seedUrls.PushBack(swarm.WebSeedUrl().c_str());  // the web-seed road
//     ... or ConnectToSeed(*torrent, swarm.Seed().Endpoint()) without a tracker
#include <string>

#include "support/LoopbackHttpServer.h"
#include "support/TempDir.h"
#include "support/torrents/SeedSession.h"
#include "support/torrents/TorrentFixtures.h"

class LoopbackSwarm {
public:
    LoopbackSwarm() : LoopbackSwarm(SeedSession::Options()) {}
    explicit LoopbackSwarm(const SeedSession::Options& seed);

    // Writes the payload to Folder()/top/..., makes its torrent and seeds it; the bytes
    // of the torrent, "" on failure.
    std::string Publish(const std::string& top, const Payload& payload, const TorrentOptions& options = {});

    SeedSession& Seed() { return seed_; }
    LoopbackHttpServer& Http() { return http_; }
    // Where the published files lie, with a trailing '/'.
    const std::string& Folder() const { return folder_.Path(); }
    // The web seed of every published torrent: the folder over HTTP.
    std::string WebSeedUrl() const { return http_.BaseUrl(); }
    // A tracker that names the seed.
    std::string TrackerUrl() const { return http_.BaseUrl() + "announce"; }

private:
    TempDir folder_;
    SeedSession seed_;
    LoopbackHttpServer http_;
};
