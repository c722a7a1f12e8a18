#pragma once
// The firewall that stands between the launcher's peers and the launcher. Created for
// the start-up checks only, and released at their end.
#include "base/runtime/RefCounter.h"
#include "shell/AppParams.h"

class IFirewall : public RefCounter {
public:
    // False when the firewall could not be asked; authorized then stays false.
    virtual bool IsAppAuthorized(const FirewallRule& rule, bool& authorized) = 0;
    // Whether the firewall filters at all.
    virtual bool IsEnabled() = 0;
    // Admits the launcher's peers; false when that was refused or failed.
    virtual bool Authorize(const FirewallRule& rule) = 0;

protected:
    ~IFirewall() override = default;
};
