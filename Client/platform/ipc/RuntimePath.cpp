#include "platform/ipc/RuntimePath.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

std::string RuntimeObjectPath(const std::string& name, const std::string& suffix) {
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    if (runtimeDir && runtimeDir[0] == '/') {
        std::string path = runtimeDir;
        if (path.back() != '/') path += '/';
        return path + name + "." + suffix;
    }
    return "/tmp/" + name + "-" + std::to_string(getuid()) + "." + suffix;
}

std::string PrivateRuntimeFolder() {
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    std::string folder;
    if (runtimeDir && runtimeDir[0] == '/') {
        folder = runtimeDir;
        while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    } else {
        folder = "/tmp/brennic-" + std::to_string(getuid());
        mkdir(folder.c_str(), 0700);  // an existing one is checked below like any other
    }
    return IsPrivateFolder(folder) ? folder : std::string();
}

bool IsPrivateFolder(const std::string& folder) {
    struct stat info {};
    // lstat: a symbolic link planted in /tmp must not lead us into somebody else's folder.
    return !folder.empty() && lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == geteuid() && (info.st_mode & 077) == 0;
}
