#pragma once
// The conversation behind the patch request: is the installed game current, and if
// not, which patches lead to the announced version. It ends in exactly one event.
#include <cstdint>

#include "base/runtime/Event.h"
#include "base/runtime/RefCounter.h"
#include "engine/servers/PatchInfo.h"

class IPatchServer : public RefCounter {
public:
    // Every chosen patch's torrent has been fetched; tooOld: the installed version is
    // not newer than the oldest one the history still patches.
    Event<PatchInfos*, bool> PatchesReady;
    // Nothing (more) to download.
    Event<> Finished;
    // The game is current, but the server names another launcher version.
    Event<> LauncherUpdateRequired;
    // An HttpClient failure code: 3, 6, 8, 9 or 11.
    Event<int> NetworkError;
    // -1 a bad or unwanted status, -2 no chain from the installed version, -3 an
    // unusable document.
    Event<int> ServerError;

    // Sends the first request; false when it cannot be formed. Once per conversation.
    virtual bool Request() = 0;
    virtual bool Poll(std::int64_t elapsedMs) = 0;

protected:
    ~IPatchServer() override = default;
};
