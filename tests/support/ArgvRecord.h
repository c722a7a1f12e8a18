#pragma once
// Reads what the stand-ins for started programs (tools/argv-recorder, the sample game)
// wrote: their working folder and argv, or their environment.
#include <string>
#include <vector>

struct ArgvRecord {
    std::string workingDir;
    std::vector<std::string> argv;
};

// Waits at most timeoutMs for the record file to appear; false when it did not.
bool WaitForArgvRecord(const std::string& path, int timeoutMs, ArgvRecord& record);
// The "NAME=value" entries of an environment record.
bool WaitForEnvironmentRecord(const std::string& path, int timeoutMs, std::vector<std::string>& entries);
// The value of name in such entries; nothing when it is not set.
bool FindVariable(const std::vector<std::string>& entries, const std::string& name, std::string* value = nullptr);
