#include "support/ArgvRecord.h"

#include <chrono>
#include <thread>

#include "support/ScopedTempFolder.h"

namespace {

bool WaitForEntries(const std::string& path, int timeoutMs, std::vector<std::string>& parts) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string text;
    // The programs rename a complete file into place, so presence means complete.
    while (!ReadWholeFile(path, text)) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    parts.clear();
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\0', start)) != std::string::npos; start = end + 1)
        parts.push_back(text.substr(start, end - start));
    return true;
}

}  // namespace

bool WaitForArgvRecord(const std::string& path, int timeoutMs, ArgvRecord& record) {
    std::vector<std::string> parts;
    if (!WaitForEntries(path, timeoutMs, parts) || parts.empty()) return false;
    record.workingDir = parts.front();
    record.argv.assign(parts.begin() + 1, parts.end());
    return true;
}

bool WaitForEnvironmentRecord(const std::string& path, int timeoutMs, std::vector<std::string>& entries) {
    return WaitForEntries(path, timeoutMs, entries);
}

bool FindVariable(const std::vector<std::string>& entries, const std::string& name, std::string* value) {
    const std::string prefix = name + "=";
    for (const std::string& entry : entries) {
        if (entry.rfind(prefix, 0) != 0) continue;
        if (value) *value = entry.substr(prefix.size());
        return true;
    }
    return false;
}
