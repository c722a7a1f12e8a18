#include "shell/PreviousLauncher.h"

#include "base/runtime/StrUtil.h"
#include "platform/process/ProcessHandle.h"
#include "shell/PathText.h"

bool IsStartedByPreviousLauncher(const AppParams& params, const std::string& ownPath, const std::string& parentPath) {
    if (parentPath.empty()) return false;
    const WideString parent = PathText::ToGeneric(StrUtil::ToWide(String(parentPath.c_str())));
    const WideString ownName = PathText::LastComponent(StrUtil::ToWide(String(ownPath.c_str())));
    if (ownName.IsEmpty() || PathText::LastComponent(parent).View() != ownName.View()) return false;
    // The installation named after the switch may be any folder, even "/": a program
    // under it counts only when it is this launcher's own program.
    return !(params.update || params.reinstall) || PathText::IsInside(parent, params.cmdPath);
}

PreviousLauncherOutcome WaitForPreviousLauncher(const AppParams& params, IProcessQuery& query, int limitMs) {
    const pid_t parentPid = query.ParentProcessId();
    if (parentPid <= 0) return PreviousLauncherOutcome::NotWaited;
    if (!IsStartedByPreviousLauncher(params, query.OwnExecutablePath(), query.ProcessImagePath(parentPid)))
        return PreviousLauncherOutcome::NotWaited;
    ProcessHandle parent = ProcessHandle::Open(parentPid);
    if (!parent.IsValid()) return PreviousLauncherOutcome::NotWaited;
    if (parent.WaitForExit(limitMs) == WaitResult::Exited) return PreviousLauncherOutcome::Ended;
    parent.Kill();
    return PreviousLauncherOutcome::Killed;
}
