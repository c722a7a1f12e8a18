#include "platform/process/ProcessSpawn.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

pid_t SpawnProcess(const SpawnRequest& request) {
    if (request.program.empty()) {
        errno = EINVAL;
        return -1;
    }
    std::vector<std::string> args = request.argv;
    if (args.empty()) args.push_back(request.program);
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) return -1;
    int status = 0;
    if (!request.workingDir.empty())
        status = posix_spawn_file_actions_addchdir_np(&actions, request.workingDir.c_str());
    // Descriptors are opened O_CLOEXEC, but a library may not be as careful: close
    // everything past stderr so that no lock or socket outlives us in the child.
    if (status == 0) status = posix_spawn_file_actions_addclosefrom_np(&actions, 3);

    // The child's own block, when given: what we hand over never enters our environment.
    std::vector<std::string> entries = request.environment.value_or(std::vector<std::string>());
    std::vector<char*> envp;
    if (request.environment) {
        envp.reserve(entries.size() + 1);
        for (std::string& entry : entries) envp.push_back(entry.data());
        envp.push_back(nullptr);
    }

    pid_t pid = -1;
    if (status == 0)
        status = posix_spawn(&pid, request.program.c_str(), &actions, nullptr, argv.data(),
                             request.environment ? envp.data() : environ);
    posix_spawn_file_actions_destroy(&actions);
    if (status != 0) {
        errno = status;
        return -1;
    }
    return pid;
}

ProcessHandle SpawnChild(const SpawnRequest& request) {
    const pid_t pid = SpawnProcess(request);
    if (pid < 0) return {};
    ProcessHandle child = ProcessHandle::Open(pid);
    if (!child.IsValid()) {
        // Out of descriptors: a child we cannot follow is ended and reaped here. Its id
        // cannot have been reused, since nothing has reaped it yet.
        const int error = errno;
        kill(pid, SIGKILL);
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        errno = error;
    }
    return child;
}

std::string FindExecutableInPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    if (!path || name.empty() || name.find('/') != std::string::npos) return std::string();
    std::string folders = path;
    std::size_t start = 0;
    while (start <= folders.size()) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        const std::string folder = folders.substr(start, end - start);
        if (!folder.empty()) {
            const std::string candidate = folder + "/" + name;
            if (access(candidate.c_str(), X_OK) == 0) return candidate;
        }
        start = end + 1;
    }
    return std::string();
}
