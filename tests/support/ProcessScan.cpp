#include "support/ProcessScan.h"

#include <filesystem>
#include <functional>

#include "support/FileBytes.h"

namespace fs = std::filesystem;

namespace {

bool IsZombie(const fs::path& process) {
    // "PID (NAME) STATE ...": the name may hold blanks and parentheses.
    const std::string stat = ReadWholeFile(process / "stat");
    const std::size_t end = stat.rfind(") ");
    return end != std::string::npos && stat.compare(end + 2, 1, "Z") == 0;
}

std::vector<pid_t> RunningProcesses(const std::function<bool(const fs::path& process)>& matches) {
    std::vector<pid_t> found;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        if (matches(entry.path()) && !IsZombie(entry.path())) found.push_back(std::stoi(name));
    }
    return found;
}

}  // namespace

std::vector<pid_t> ProcessesOf(const std::string& path) {
    return RunningProcesses([&](const fs::path& process) {
        std::error_code error;
        return fs::read_symlink(process / "exe", error) == path;
    });
}

std::vector<pid_t> ProcessesWithArgument(const std::string& text) {
    return RunningProcesses(
        [&](const fs::path& process) { return ReadWholeFile(process / "cmdline").find(text) != std::string::npos; });
}
