#pragma once
// The steps of the start-up that other parts of the program carry out: the page
// archive behind the vfs scheme, the checks of the environment, and the main window.
// LauncherApp::Run calls them in order; HeadlessStartupSteps stands in for each until
// its part exists, and serves machines without a display.
#include "base/runtime/String.h"
#include "base/runtime/Vector.h"
#include "shell/AppParams.h"

class IStartupSteps {
public:
    virtual ~IStartupSteps() = default;

    virtual bool RegisterVfsProtocol(const WideString& root, const WideString& packName, const ByteVector& archive) = 0;
    virtual void UnregisterVfsProtocol() = 0;
    // False when the launcher cannot work from where it is installed (it has told the user).
    virtual bool CheckEnvironment(AppParams& params) = 0;
    // False when a patch plan of an earlier run is in the way (it has told the user).
    virtual bool RemoveStalePatchScript(AppParams& params) = 0;
    // Shows the main window on address until it ends; followUp receives the command
    // line for the patch applier. Returns whether the page confirmed it was ready.
    virtual bool RunMainWindow(AppParams& params, const WideString& address, const WideString& positionKey,
                               WideString& followUp) = 0;
};

class HeadlessStartupSteps final : public IStartupSteps {
public:
    bool RegisterVfsProtocol(const WideString& root, const WideString& packName, const ByteVector& archive) override;
    void UnregisterVfsProtocol() override {}
    bool CheckEnvironment(AppParams&) override { return true; }
    bool RemoveStalePatchScript(AppParams&) override { return true; }
    // Reports the parameters of the run on stderr and ends at once, ready and with no follow-up.
    bool RunMainWindow(AppParams& params, const WideString& address, const WideString& positionKey,
                       WideString& followUp) override;
};
