#pragma once
// What the patch conversation shares with the launcher's workflow: the page's choices
// and the settings it reads, what the server announced, which it leaves behind for
// the steps after it, and the order of version texts. The workflow answers from its
// process-wide values; tests answer from a record of their own.
#include "base/runtime/String.h"

class IPatchWorkflow {
public:
    // A future patch was asked for (the game state's future-patch request).
    virtual bool FutureUpdate() const = 0;
    // The page switched the server list on.
    virtual bool ServerListWanted() const = 0;
    // Where the server list is fetched: the configured address, else the page's.
    virtual String ServerListUrl() const = 0;
    // The future version already downloaded ("prepatch_ready"); empty when none.
    virtual String PrepatchReady() const = 0;
    // The launcher's own version text.
    virtual WideString OwnLauncherVersion() const = 0;
    // -1, 0 or 1 as a is older than, equal to or newer than b.
    virtual int CompareVersions(const String& a, const String& b) const = 0;

    // The current game version the server announces.
    virtual void SetServerVersion(const String& version) = 0;
    // The server offers a future patch up to version.
    virtual void OfferPrepatch(const String& version) = 0;

protected:
    ~IPatchWorkflow() = default;
};
