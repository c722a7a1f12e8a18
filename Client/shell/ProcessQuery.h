#pragma once
// What the start-up asks about processes: its own executable and its parent. An
// interface, so the decisions can be tested with any parent.
#include <string>
#include <sys/types.h>

class IProcessQuery {
public:
    virtual ~IProcessQuery() = default;
    virtual std::string OwnExecutablePath() = 0;
    virtual pid_t ParentProcessId() = 0;
    // "" when the path cannot be read.
    virtual std::string ProcessImagePath(pid_t pid) = 0;
};

// The running system, read through /proc.
class SystemProcessQuery final : public IProcessQuery {
public:
    std::string OwnExecutablePath() override;
    pid_t ParentProcessId() override;
    std::string ProcessImagePath(pid_t pid) override;
};
