#pragma once
// The conversation behind the patch request: is the installed game current, and if
// not, which patches lead to the announced version. It ends in exactly one event.
#include "engine/servers/IServerClient.h"
#include "engine/servers/PatchInfo.h"

// Its server errors: -1 a bad or unwanted status, -2 no chain from the installed
// version, -3 an unusable document.
class IPatchServer : public IServerClient {
public:
    // Every chosen patch's torrent has been fetched; tooOld: the installed version is
    // not newer than the oldest one the history still patches.
    Event<PatchInfos*, bool> PatchesReady;
    // Nothing (more) to download.
    Event<> Finished;
    // The game is current, but the server names another launcher version.
    Event<> LauncherUpdateRequired;

protected:
    ~IPatchServer() override = default;
};
