#pragma once
// The start-up steps on a desktop: the page archive behind the vfs: scheme of the
// toolkit's web views, the firewall dialog and the main window on it.
#include "platform/TimerHost.h"
#include "platform/ui/UiToolkit.h"
#include "shell/StartupSteps.h"
#include "shell/html/HTMLViewer.h"

class DesktopStartupSteps final : public IStartupSteps {
public:
    // The toolkit and the timer host outlive the steps.
    DesktopStartupSteps(IUiToolkit& toolkit, TimerHost* timers, HTMLViewer::RootStateFactory makeRoot)
        : toolkit_(toolkit), timers_(timers), makeRoot_(std::move(makeRoot)) {}

    bool RegisterVfsProtocol(const WideString& root, const WideString& packName, const ByteVector& archive) override;
    void UnregisterVfsProtocol() override;
    int RunFirewallDialog(const std::string& address, const WideString& locale,
                          const std::string& positionKey) override;
    bool RunMainWindow(AppParams& params, const WideString& address, const WideString& positionKey,
                       WideString& followUp) override;

private:
    IUiToolkit& toolkit_;
    TimerHost* timers_;
    HTMLViewer::RootStateFactory makeRoot_;
};
