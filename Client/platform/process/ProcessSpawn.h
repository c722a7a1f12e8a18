#pragma once
// Starting programs: an argv vector handed over as it stands (no command string, so
// no quoting rules and no injection), a working folder and an environment of the
// caller's choice, and no descriptor of ours leaking into the child.
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

#include "platform/process/ProcessHandle.h"

struct SpawnRequest {
    std::string program;            // path of the executable; relative paths resolve in workingDir
    std::vector<std::string> argv;  // argv[0] included; empty means {program}
    std::string workingDir;         // "" keeps the caller's current folder
    // "NAME=value" entries, the child's whole environment; none hands on ours.
    std::optional<std::vector<std::string>> environment = std::nullopt;
};

// The child's process id, or -1 when it could not be started (errno set).
pid_t SpawnProcess(const SpawnRequest& request);

// Starts the child and opens its handle at once, before anything can reap it; an
// invalid handle when it could not be started (errno set).
ProcessHandle SpawnChild(const SpawnRequest& request);

// The first executable file called name in the folders of $PATH; "" when none.
std::string FindExecutableInPath(const std::string& name);
