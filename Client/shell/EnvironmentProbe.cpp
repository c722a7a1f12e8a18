#include "shell/EnvironmentProbe.h"

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

#include "platform/posix/MountTable.h"
#include "shell/firewall/FirewalldFirewall.h"

std::string SystemEnvironmentProbe::MountTable() { return ReadOwnMountInfo(); }

bool SystemEnvironmentProbe::CanCreateFileIn(const std::string& folder) {
    // mkstemp creates exclusively under a fresh name, so nothing of the user's is touched.
    std::string probe = (folder.empty() ? std::string(".") : folder) + "/.launcher-write-test-XXXXXX";
    const int fd = mkostemp(probe.data(), O_CLOEXEC);
    if (fd < 0) return false;
    close(fd);
    unlink(probe.c_str());
    return true;
}

bool SystemEnvironmentProbe::IsAdministrator() { return geteuid() == 0; }

WebKitVersionNumber SystemEnvironmentProbe::BrowserVersion() { return RunningWebKitVersion(); }

RefPtr<IFirewall> SystemEnvironmentProbe::CreateFirewall() { return ::CreateFirewall(); }

IEnvironmentProbe& SystemEnvironment() {
    static SystemEnvironmentProbe probe;
    return probe;
}
