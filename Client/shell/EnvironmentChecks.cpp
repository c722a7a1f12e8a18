#include "shell/EnvironmentChecks.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#include "base/runtime/StrUtil.h"
#include "platform/posix/MountTable.h"
#include "shell/LauncherApp.h"
#include "shell/PathText.h"
#include "shell/resources/MessageSink.h"
#include "shell/resources/StringIds.h"
#include "shell/resources/StringTable.h"

namespace {

// Types as mountinfo names them; FUSE mounts carry their subtype after "fuse.".
constexpr std::string_view kNetworkTypes[] = {
    "nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "9p", "afs", "ceph", "lustre", "glusterfs", "davfs",
    "fuse.sshfs", "fuse.glusterfs", "fuse.davfs", "fuse.rclone", "fuse.s3fs", "fuse.ceph",
};

// The path with every link resolved; a missing last component is kept as it is.
std::string Resolved(const std::string& path) {
    char buffer[PATH_MAX];
    if (realpath(path.c_str(), buffer)) return buffer;
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos || slash == 0) return path;
    if (!realpath(path.substr(0, slash).c_str(), buffer)) return path;
    return std::string(buffer) + path.substr(slash);
}

std::string CurrentFolder() {
    char buffer[PATH_MAX];
    return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

bool Exists(const std::string& path) {
    struct stat info;
    // A dangling symbolic link is a name in the folder all the same.
    return lstat(path.c_str(), &info) == 0 || (errno != ENOENT && errno != ENOTDIR);
}

}  // namespace

bool IsNetworkFileSystem(const std::string& type) {
    for (std::string_view network : kNetworkTypes)
        if (type == network) return true;
    return false;
}

bool IsLocalFolder(const WideString& path, const std::string& mountTable) {
    const std::vector<MountEntry> mounts = ParseMountInfo(mountTable);
    const MountEntry* mount = FindMountOf(mounts, Resolved(StrUtil::ToNarrow(path).Std()));
    return !mount || !IsNetworkFileSystem(mount->type);
}

bool IsBrowserRecentEnough(const WebKitVersionNumber& version) {
    return version.major > kOldestWebKit.major ||
           (version.major == kOldestWebKit.major && version.minor >= kOldestWebKit.minor);
}

bool LauncherApp::CheckEnvironment(AppParams& params) {
    if (!IsLocalFolder(params.firewallRule.exePath, environment_.MountTable())) {
        ShowResourceMessage(StringId::NetworkDrive, MessageStyle::IconError);
        return false;
    }
    if (!CanWriteHere(params)) {
        // The elevated instance runs every check again; when even it cannot write, it says so.
        if (params.uac) ShowResourceMessage(StringId::NeedsAdministrator, MessageStyle::IconError);
        else RelaunchElevated(params.rip);
        return false;
    }
    if (!PathHasNoHash()) {
        ShowResourceMessage(StringId::PathWithHash, MessageStyle::IconError);
        return false;
    }
    bool usable = true;
    if (!IsBrowserRecentEnough(environment_.BrowserVersion())) {
        ShowResourceMessage(StringId::BrowserTooOld, MessageStyle::IconError);
        usable = false;
    }
    return FirewallStepPasses(params) && usable;
}

bool LauncherApp::CanWriteHere(const AppParams& params) {
    return environment_.CanCreateFileIn(String(params.binDir).Std()) &&
           environment_.CanCreateFileIn(String(params.gameRoot).Std());
}

bool LauncherApp::PathHasNoHash() { return CurrentFolder().find('#') == std::string::npos; }

bool LauncherApp::RemoveStalePatchScript(AppParams& params) {
    const WideString plan = PathText::Join(params.patchesDir, LoadResString(StringId::PatchPlanName));
    const std::string path = StrUtil::ToNarrow(plan).Std();
    if (!Exists(path) || unlink(path.c_str()) == 0) return true;
    GetMessageSink().Show(FormatResString(StringId::PatchPlanLocked, {plan}), WideString(u"Launcher.exe"),
                          MessageStyle::IconError);
    return false;
}
