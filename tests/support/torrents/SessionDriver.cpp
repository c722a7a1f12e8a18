#include "support/torrents/SessionDriver.h"

#include <thread>

#include "engine/torrent/Torrent.h"

TorrentSessionConfig LoopbackSessionConfig() {
    TorrentSessionConfig config;
    config.listenPortFirst = 0;
    config.listenPortLast = 0;
    config.listenInterface = "127.0.0.1";
    config.publicDiscovery = false;
    config.utp = false;
    return config;
}

bool DriveUntil(TorrentSession& session, const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        session.Engine().wait_for_alert(std::chrono::milliseconds(20));
        session.ProcessAlerts();
    }
    return true;
}

void ConnectToSeed(ITorrent& torrent, const lt::tcp::endpoint& seed) {
    static_cast<Torrent&>(torrent).Handle().connect_peer(seed);
}

bool TickUntil(ManualTimerHost& timers, const std::function<bool()>& done, std::chrono::milliseconds limit,
               std::int64_t tickMs) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        timers.Advance(tickMs);
    }
    return true;
}
