#pragma once
// Shared pieces of the tests that talk to a hub: bounded waits on the link's worker,
// the fake hub as a child process, and a script that stands in for the hub executable.
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "platform/process/ProcessHandle.h"

// Polls condition until it holds or timeoutMs have passed; the link works on its own
// thread, so the tests watch its effects with a deadline.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 5000);

// Lines of a text file (the fake hub's log, a start counter); empty when missing.
std::vector<std::string> ReadLines(const std::string& path);
bool HasLine(const std::string& path, const std::string& line);

// The fake hub started with the given arguments; killed and reaped when it goes.
class FakeHubProcess {
public:
    explicit FakeHubProcess(const std::vector<std::string>& arguments);
    ~FakeHubProcess();
    bool IsRunning();
    // Waits for it to end by itself; its exit code, or -1 when it is still running.
    int WaitForExit(int timeoutMs);

private:
    ProcessHandle process_;
};

// An executable shell script at path that appends a line to countFile each time it
// runs and then, when fakeHubArguments is not empty, becomes the fake hub with them.
void WriteHubScript(const std::string& path, const std::string& countFile,
                    const std::vector<std::string>& fakeHubArguments);
