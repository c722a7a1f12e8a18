#pragma once
// The update server's address, copied by value by every server client.
#include <cstdint>

#include "base/runtime/String.h"

struct ServerAddress {
    String host;
    String basePath;
    std::uint16_t port = 0;
    std::int32_t timeoutMs = 0;  // the idle limit of every request
    std::int32_t hostType = 2;   // 1 for "patch", else 2
};

// The names of the update server's fixed documents, relative to its base path.
struct ServerDocuments {
    String currentVersion;   // "CurrentVersion.xdb"
    String patchesHistory;   // "PatchesHistory.xdb"
    String launcherTorrent;  // "Launcher.torrent"
};
