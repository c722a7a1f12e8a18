#pragma once
// A seeding libtorrent session for tests and benchmarks (which can also download from
// a session under test), on a loopback address of its
// own (127.0.0.2 by default): libtorrent allows one connection per address, so a
// downloader on 127.0.0.1 and the seed must not share one. uTP, DHT, local discovery
// and port mapping are off; no file is ever mapped.
#include <memory>
#include <string>

#include <libtorrent/session.hpp>
#include <libtorrent/socket.hpp>
#include <libtorrent/torrent_handle.hpp>

class SeedSession {
public:
    struct Options {
        std::string address = "127.0.0.2";
        bool highPerformance = false;  // libtorrent's high_performance_seed preset
    };

    SeedSession();
    explicit SeedSession(const Options& options);
    ~SeedSession();
    SeedSession(const SeedSession&) = delete;
    SeedSession& operator=(const SeedSession&) = delete;

    // Seeds the torrent from the files below folder, trusting them (seed mode).
    bool Seed(const std::string& torrentBytes, const std::string& folder);
    // Downloads the torrent into folder from the peer at from (a session under test
    // that seeds); the handle tells how far it got, invalid when it could not start.
    lt::torrent_handle DownloadFrom(const std::string& torrentBytes, const std::string& folder,
                                    const lt::tcp::endpoint& from);

    // Bytes per second for each torrent seeded so far (0: unlimited); limits apply to
    // loopback peers too, while libtorrent exempts them from the session's.
    void LimitUploads(int bytesPerSecond);

    // Where downloaders reach the seed.
    lt::tcp::endpoint Endpoint() const;
    std::string Address() const { return address_; }
    int Port() const;
    lt::session& Engine() { return *session_; }

private:
    std::string address_;
    std::unique_ptr<lt::session> session_;
};
