#pragma once
// What the server-client tests share: the scripted update server, its address and
// document names, and polling a client until it has told its outcome.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "engine/servers/ServerAddress.h"
#include "support/LoopbackHttpServer.h"

inline constexpr char kBasePath[] = "/upd/";

inline ServerAddress LoopbackAddress(const LoopbackHttpServer& server, std::int32_t timeoutMs = 30000) {
    ServerAddress address;
    address.host = String(server.Address().c_str());
    address.basePath = String(kBasePath);
    address.port = server.Port();
    address.timeoutMs = timeoutMs;
    return address;
}

inline ServerDocuments StandardDocuments() {
    return ServerDocuments{String("CurrentVersion.xdb"), String("PatchesHistory.xdb"), String("Launcher.torrent")};
}

// The requested targets below the base path, in order.
inline std::vector<std::string> DocumentsAsked(const LoopbackHttpServer& server) {
    std::vector<std::string> asked;
    for (const std::string& target : server.RequestedTargets())
        asked.push_back(target.rfind(kBasePath, 0) == 0 ? target.substr(sizeof kBasePath - 1) : target);
    return asked;
}

// Polls with no elapsed time until done() holds (at most 10 s), then a little longer so
// that a second outcome would show.
inline void PollUntil(const std::function<bool(std::int64_t)>& poll, const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        poll(0);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    for (int i = 0; i < 20; ++i) {
        poll(0);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// A history with the repair set's names and the given versions.
inline std::string HistoryDocument(const std::string& versions, const std::string& oldVersion = "1.0.3") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Base><ripTorrentFile>rip/Rip.torrent</ripTorrentFile>"
           "<versionFile>versions/game.version</versionFile><repairInstallerFile>repair.exe</repairInstallerFile>"
           "<oldVersionNumber>" + oldVersion + "</oldVersionNumber><versions>" + versions + "</versions></Base>";
}

// One version whose updates are "TARGET" (weight 1) each.
inline std::string HistoryVersion(const std::string& number, const std::vector<std::string>& targets = {}) {
    std::string xml = "<Item><versionNumber>" + number + "</versionNumber><updates>";
    for (const std::string& target : targets)
        xml += "<Item beaten=\"false\" varaRurezodID=\"1\" weight=\"1\"><patchedTo>" + target + "</patchedTo><torrentFile>" +
               number + "-" + target + ".torrent</torrentFile></Item>";
    return xml + "</updates></Item>";
}
