#pragma once
// Reads what tools/argv-recorder wrote: its working folder and its argv.
#include <string>
#include <vector>

struct ArgvRecord {
    std::string workingDir;
    std::vector<std::string> argv;
};

// Waits at most timeoutMs for the record file to appear; false when it did not.
bool WaitForArgvRecord(const std::string& path, int timeoutMs, ArgvRecord& record);
