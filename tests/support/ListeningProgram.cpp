#include "support/ListeningProgram.h"

#include <chrono>
#include <csignal>

#include "platform/process/ProcessSpawn.h"
#include "support/LoopbackPorts.h"

bool ListeningProgram::Start(const std::vector<std::string>& argv, const std::string& address, std::uint16_t port) {
    Stop();
    if (argv.empty()) return false;
    SpawnRequest request;
    request.program = argv[0];
    request.argv = argv;
    const pid_t pid = SpawnProcess(request);
    if (pid < 0) return false;
    process_ = ProcessHandle::Open(pid);
    if (!process_.IsValid()) return false;

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        if (AcceptsConnections(address, port)) return true;
        if (process_.WaitForExit(20) != WaitResult::TimedOut) {
            process_ = ProcessHandle();
            return false;
        }
    }
    Stop();
    return false;
}

void ListeningProgram::Stop() {
    if (!process_.IsValid()) return;
    ::kill(process_.Pid(), SIGTERM);
    if (process_.WaitForExit(5000) == WaitResult::TimedOut) {
        process_.Kill();
        process_.WaitForExit(5000);
    }
    process_ = ProcessHandle();
}
