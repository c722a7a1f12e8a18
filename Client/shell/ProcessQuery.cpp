#include "shell/ProcessQuery.h"

#include "platform/process/ProcessInfo.h"

std::string SystemProcessQuery::OwnExecutablePath() { return GetOwnExecutablePath(); }

pid_t SystemProcessQuery::ParentProcessId() { return GetParentProcessId(); }

std::string SystemProcessQuery::ProcessImagePath(pid_t pid) {
    std::string path;
    return GetProcessImagePath(pid, path) ? path : std::string();
}
