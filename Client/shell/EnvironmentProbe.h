#pragma once
// What the start-up checks ask of the system they run on. The checks decide; this
// only answers, so tests can put any machine behind it.
#include <string>

#include "base/runtime/RefCounter.h"
#include "platform/gtk/WebKitVersion.h"
#include "shell/firewall/IFirewall.h"

class IEnvironmentProbe {
public:
    virtual ~IEnvironmentProbe() = default;

    // The process's mount table in the kernel's mountinfo form.
    virtual std::string MountTable() = 0;
    // Whether this process can create a file in folder (one is made and removed).
    virtual bool CanCreateFileIn(const std::string& folder) = 0;
    // The administrator is root.
    virtual bool IsAdministrator() = 0;
    virtual WebKitVersionNumber BrowserVersion() = 0;
    // Null when no firewall service runs.
    virtual RefPtr<IFirewall> CreateFirewall() = 0;
};

// The running system.
class SystemEnvironmentProbe final : public IEnvironmentProbe {
public:
    std::string MountTable() override;
    bool CanCreateFileIn(const std::string& folder) override;
    bool IsAdministrator() override;
    WebKitVersionNumber BrowserVersion() override;
    RefPtr<IFirewall> CreateFirewall() override;
};

// The process's one SystemEnvironmentProbe.
IEnvironmentProbe& SystemEnvironment();
