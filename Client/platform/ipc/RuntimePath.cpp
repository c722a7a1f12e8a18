#include "platform/ipc/RuntimePath.h"

#include <cstdlib>
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
