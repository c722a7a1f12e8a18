#include "support/HubLinkFixtures.h"

#include <sys/stat.h>

#include <fstream>
#include <thread>

#include "platform/process/ProcessSpawn.h"
#include "support/FileBytes.h"

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
}

bool HasLine(const std::string& path, const std::string& line) {
    for (const std::string& candidate : ReadLines(path)) {
        if (candidate == line) return true;
    }
    return false;
}

FakeHubProcess::FakeHubProcess(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv = {FAKE_HUB_PATH};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const pid_t pid = SpawnProcess({FAKE_HUB_PATH, argv, std::string()});
    if (pid > 0) process_ = ProcessHandle::Open(pid);
}

FakeHubProcess::~FakeHubProcess() {
    if (!process_.IsValid()) return;
    if (process_.WaitForExit(0) != WaitResult::Exited) {
        process_.Kill();
        process_.WaitForExit(5000);
    }
}

bool FakeHubProcess::IsRunning() { return process_.IsValid() && process_.WaitForExit(0) == WaitResult::TimedOut; }

int FakeHubProcess::WaitForExit(int timeoutMs) {
    int code = -1;
    return process_.IsValid() && process_.WaitForExit(timeoutMs, &code) == WaitResult::Exited ? code : -1;
}

namespace {

std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

}  // namespace

void WriteHubScript(const std::string& path, const std::string& countFile,
                    const std::vector<std::string>& fakeHubArguments) {
    std::string script = "#!/bin/sh\necho started >> " + Quoted(countFile) + "\n";
    if (!fakeHubArguments.empty()) {
        script += "exec " + Quoted(FAKE_HUB_PATH);
        for (const std::string& argument : fakeHubArguments) script += " " + Quoted(argument);
        script += "\n";
    }
    WriteWholeFile(path, script);
    chmod(path.c_str(), 0700);
}
