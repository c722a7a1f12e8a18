#pragma once
// The application: runs the whole program on the one UI thread, from the command line
// to the start of the patch applier, and returns the exit code (0 on every path).
#include "base/runtime/String.h"
#include "shell/AppParams.h"
#include "shell/EnvironmentProbe.h"
#include "shell/ProcessQuery.h"
#include "shell/StartupSteps.h"
#include "shell/firewall/IFirewall.h"

// How the firewall step ended.
enum class FirewallOutcome {
    Admitted,          // already admitted, or admitted now
    Declined,          // the user said no in the firewall dialog
    NotAdministrator,  // only an administrator may change the firewall
    Failed,            // the firewall could not be asked or refused the change
};

class LauncherApp {
public:
    LauncherApp(IStartupSteps& steps, IProcessQuery& processes, IEnvironmentProbe& environment = SystemEnvironment())
        : steps_(steps), processes_(processes), environment_(environment) {}

    int Run(int argc, const char* const* argv);

    // Shows the main window; returns the follow-up command line.
    WideString RunMainWindow(AppParams& params);
    // Starts the patch applier on the follow-up when there is one.
    void RunVaraRurezod(const WideString& followUp);
    // Starts the own executable again with administrator rights. When that is not
    // possible the user is told that the launcher needs them; false then.
    bool RelaunchElevated(bool rip);

    // Whether the launcher can work from where it is installed: a local file system,
    // writable (else it relaunches itself elevated), no '#' in its folder, a recent
    // enough web engine, and peers admitted by the firewall. Every refusal has told
    // the user; false means the main window is not shown.
    bool CheckEnvironment(AppParams& params);
    // Removes a patch plan an earlier run left behind; false (the user told) when it
    // cannot be removed.
    bool RemoveStalePatchScript(AppParams& params);
    // Files can be created in the bin folder and in the game root.
    bool CanWriteHere(const AppParams& params);
    // The current folder holds no '#', which would end a vfs: or file address early.
    bool PathHasNoHash();

    FirewallOutcome ConfigureFirewall(IFirewall& firewall, AppParams& params);
    // True when the launcher goes on: admitted, declined, or the user chose to go on
    // after a failure; false when it relaunched itself elevated or the user ended it.
    bool ConfigureFirewallOrElevate(IFirewall& firewall, AppParams& params);

private:
    bool FirewallStepPasses(AppParams& params);

    IStartupSteps& steps_;
    IProcessQuery& processes_;
    IEnvironmentProbe& environment_;
};

// Whether the current folder is called "bin" (in any letter case).
bool IsInBinFolder();
