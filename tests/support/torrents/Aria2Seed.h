#pragma once
// aria2c, an independent BitTorrent implementation, seeding one torrent from a folder
// on a free loopback port: no DHT, no local discovery, no peer exchange and no tracker
// of its own, so it is found only where a test names it (a tracker's peer list). It
// trusts the files without checking them, and ends with the object (or with the test
// process, whichever goes first).
#include <cstdint>
#include <string>

#include "support/ListeningProgram.h"
#include "support/TempDir.h"

class Aria2Seed {
public:
    // The aria2c program on PATH; "" when it is not installed.
    static std::string Executable();

    // uploadLimit: bytes per second to each peer, 0 for none.
    Aria2Seed(const std::string& torrentBytes, const std::string& folder, int uploadLimit = 0);
    ~Aria2Seed();
    Aria2Seed(const Aria2Seed&) = delete;
    Aria2Seed& operator=(const Aria2Seed&) = delete;

    // Starts aria2c and waits until it accepts peers (at most 10 s); false when it did
    // not. Then Log() tells why.
    bool Start();
    void Stop();

    std::uint16_t Port() const { return port_; }
    std::string Log() const { return work_.ReadFile("aria2.log"); }

private:
    bool StartOnPort(std::uint16_t port);

    std::string folder_;
    int uploadLimit_;
    TempDir work_;
    std::uint16_t port_ = 0;
    ListeningProgram process_;
};
