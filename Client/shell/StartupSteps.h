#pragma once
// The steps of the start-up that depend on whether there is a display: the page
// archive behind the vfs scheme, the firewall dialog and the main window.
// LauncherApp::Run calls them in order; HeadlessStartupSteps serves machines without
// a display.
#include <string>

#include "base/runtime/String.h"
#include "base/runtime/Vector.h"
#include "shell/AppParams.h"

class IStartupSteps {
public:
    virtual ~IStartupSteps() = default;

    virtual bool RegisterVfsProtocol(const WideString& root, const WideString& packName, const ByteVector& archive) = 0;
    virtual void UnregisterVfsProtocol() = 0;
    // Runs the firewall dialog on address in the given locale until it ends; returns
    // FirewallDlg::kAccepted when the user accepted, anything else otherwise.
    virtual int RunFirewallDialog(const std::string& address, const WideString& locale,
                                  const std::string& positionKey) = 0;
    // Shows the main window on address until it ends; followUp receives the command
    // line for the patch applier. Returns whether the page confirmed it was ready.
    virtual bool RunMainWindow(AppParams& params, const WideString& address, const WideString& positionKey,
                               WideString& followUp) = 0;
};

class HeadlessStartupSteps final : public IStartupSteps {
public:
    bool RegisterVfsProtocol(const WideString& root, const WideString& packName, const ByteVector& archive) override;
    void UnregisterVfsProtocol() override {}
    // Nobody can answer without a display: the dialog counts as cancelled.
    int RunFirewallDialog(const std::string& address, const WideString& locale,
                          const std::string& positionKey) override;
    // Reports the parameters of the run on stderr and ends at once, ready and with no follow-up.
    bool RunMainWindow(AppParams& params, const WideString& address, const WideString& positionKey,
                       WideString& followUp) override;
};
