#include "platform/ipc/RuntimePath.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// $XDG_RUNTIME_DIR without trailing separators; "" when unset or not absolute.
std::string RuntimeDirVariable() {
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    if (!runtimeDir || runtimeDir[0] != '/') return std::string();
    std::string folder = runtimeDir;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

std::string MadeUserTmpFolder() {
    const std::string folder = UserTmpFolder();
    mkdir(folder.c_str(), 0700);  // an existing one is checked by the caller like any other
    return folder;
}

}  // namespace

std::string UserTmpFolder() { return "/tmp/brennic-" + std::to_string(geteuid()); }

std::string OwnRuntimeFolder() {
    const std::string runtimeDir = RuntimeDirVariable();
    if (IsPrivateFolder(runtimeDir)) return runtimeDir;
    const std::string folder = MadeUserTmpFolder();
    return IsPrivateFolder(folder) ? folder : std::string();
}

std::string RuntimeObjectPath(const std::string& name, const std::string& suffix) {
    const std::string folder = OwnRuntimeFolder();
    return folder.empty() ? std::string() : folder + "/" + name + "." + suffix;
}

std::string PrivateRuntimeFolder() {
    std::string folder = RuntimeDirVariable();
    if (folder.empty()) folder = MadeUserTmpFolder();
    return IsPrivateFolder(folder) ? folder : std::string();
}

bool IsPrivateFolder(const std::string& folder) {
    struct stat info {};
    // lstat: a symbolic link planted in /tmp must not lead us into somebody else's folder.
    return !folder.empty() && lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == geteuid() && (info.st_mode & 077) == 0;
}
