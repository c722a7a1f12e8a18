#include "platform/process/ProcessInfo.h"

#include <string_view>
#include <unistd.h>

namespace {

bool ReadLink(const std::string& link, std::string& target) {
    std::string buffer(4096, '\0');
    for (;;) {
        const ssize_t n = readlink(link.c_str(), buffer.data(), buffer.size());
        if (n < 0) return false;
        if (static_cast<std::size_t>(n) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(n));
            target = std::move(buffer);
            return true;
        }
        if (buffer.size() >= 65536) return false;
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace

std::string GetOwnExecutablePath() {
    std::string path;
    return GetProcessImagePath(getpid(), path) ? path : std::string();
}

pid_t GetParentProcessId() {
    const pid_t parent = getppid();
    return parent > 0 ? parent : -1;
}

bool GetProcessImagePath(pid_t pid, std::string& path) {
    if (pid <= 0) return false;
    std::string target;
    if (!ReadLink("/proc/" + std::to_string(pid) + "/exe", target)) return false;
    constexpr std::string_view kDeleted = " (deleted)";
    if (target.size() > kDeleted.size() && std::string_view(target).ends_with(kDeleted))
        target.resize(target.size() - kDeleted.size());
    path = std::move(target);
    return true;
}
