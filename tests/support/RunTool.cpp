#include "support/RunTool.h"

#include "platform/process/ProcessSpawn.h"

bool RunTool(const std::vector<std::string>& argv, int boundMs) {
    ProcessHandle tool = SpawnChild({argv[0], argv, ""});
    int code = -1;
    if (tool.WaitForExit(boundMs, &code) == WaitResult::Exited) return code == 0;
    tool.Kill();
    tool.WaitForExit(5000);
    return false;
}
