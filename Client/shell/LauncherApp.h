#pragma once
// The application: runs the whole program on the one UI thread, from the command line
// to the start of the patch applier, and returns the exit code (0 on every path).
#include "base/runtime/String.h"
#include "shell/AppParams.h"
#include "shell/ProcessQuery.h"
#include "shell/StartupSteps.h"

class LauncherApp {
public:
    LauncherApp(IStartupSteps& steps, IProcessQuery& processes) : steps_(steps), processes_(processes) {}

    int Run(int argc, const char* const* argv);

    // Shows the main window; returns the follow-up command line.
    WideString RunMainWindow(AppParams& params);
    // Starts the patch applier on the follow-up when there is one.
    void RunVaraRurezod(const WideString& followUp);
    // Starts the own executable again with administrator rights. When that is not
    // possible the user is told that the launcher needs them; false then.
    bool RelaunchElevated(bool rip);

private:
    IStartupSteps& steps_;
    IProcessQuery& processes_;
};

// Whether the current folder is called "bin" (in any letter case).
bool IsInBinFolder();
