#include "support/ArgvRecord.h"

#include <chrono>
#include <thread>

#include "support/ScopedTempFolder.h"

bool WaitForArgvRecord(const std::string& path, int timeoutMs, ArgvRecord& record) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string text;
    // The recorder renames a complete file into place, so presence means complete.
    while (!ReadWholeFile(path, text)) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\0', start)) != std::string::npos; start = end + 1)
        parts.push_back(text.substr(start, end - start));
    if (parts.empty()) return false;
    record.workingDir = parts.front();
    record.argv.assign(parts.begin() + 1, parts.end());
    return true;
}
