#pragma once
// What the game hub and the launcher tell each other: pack lists, progress counters,
// pack-state requests, the handshake words, and the owner's table of callbacks.
#include <cstddef>
#include <cstdint>
#include <optional>

#include "base/runtime/String.h"
#include "base/runtime/Vector.h"

// The five words that open every connection; their meaning is the owner's.
struct InterComHandshake {
    std::uint32_t words[5] = {};
};

// Per-pack byte counters, sent only for packs that carry "ReadyDone".
struct PackCounters {
    std::int64_t ReadyTotal = 0;
    std::int64_t ReadyDone = 0;
    std::int64_t DownloadTotal = 0;
    std::int64_t DownloadDone = 0;
};

// One "Pack" element.
struct PackInfo {
    String Name;
    int ReadyBuild = 0;
    int ServerBuild = 0;
    bool Enabled = false;
    int Priority = 0;
    std::optional<PackCounters> Counters;
};

// A pack list with the attributes of the element that holds it.
struct PackInfos {
    Vector<PackInfo> Packs;  // in document order
    int ApiVersion = 0;
    int VantryBuild = 0;
    int ServerBuild = 0;
    bool FullPackSet = false;
    String BuildInfo;
    std::int64_t LastServerVerified = 0;
};

struct HubProgress {
    std::int64_t ReadyTotal = 0;
    std::int64_t ReadyDone = 0;
    std::int64_t DownloadTotal = 0;
    std::int64_t DownloadDone = 0;
    std::int64_t AlreadyDownloaded = 0;
};

// One entry of a pack-state request.
struct PackState {
    String name;
    int priority = 0;
    int enable = 0;
};

struct HubNetworkParams {
    int downloadRateLimit = 0;
    int uploadRateLimit = 0;
};

// The owner's callbacks, each given the context first. A null entry is skipped. All
// of them run on the owner's thread, inside ReceiveAndDispatch.
struct InterComCallbacks {
    void* context = nullptr;
    void (*firstSlot)(void* context) = nullptr;  // never called
    // A message that does not parse, has no root, an unknown root or a failing handler:
    // its bytes and their count, the terminating zero included.
    void (*protocolError)(void* context, const std::uint8_t* bytes, std::size_t count) = nullptr;
    void (*packInfos)(void* context, const PackInfos& infos) = nullptr;  // "GetPackInfosOut"
    void (*buildInfo)(void* context, const PackInfos& infos) = nullptr;  // "NewGameBuildInfoOut"
    void (*newBuildDetected)(void* context, int newBuild, const String& buildInfo) = nullptr;
    void (*networkParams)(void* context, const HubNetworkParams& params) = nullptr;
    // Any message with a "Progress" child, before the message's own callback; packs is
    // null when the progress carries no pack list.
    void (*progress)(void* context, const HubProgress& progress, const PackInfos* packs) = nullptr;
    // The first dispatch after a new connection, before its message (or without one).
    void (*reconnected)(void* context) = nullptr;
    void (*packagesFileError)(void* context, int errorCode) = nullptr;
    // "SetParams": the low 32 bits of the hub's process id, its API version, light mode
    // and client-accepted value.
    void (*params)(void* context, int processId, int apiVersion, bool lightMode, int clientAccepted) = nullptr;
};
