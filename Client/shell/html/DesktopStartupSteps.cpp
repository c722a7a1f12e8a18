#include "shell/html/DesktopStartupSteps.h"

#include "shell/firewall/FirewallDlg.h"
#include "shell/html/VfsProtocol.h"

bool DesktopStartupSteps::RegisterVfsProtocol(const WideString& root, const WideString& packName,
                                              const ByteVector& archive) {
    return ::RegisterVfsProtocol(toolkit_, root, packName, archive);
}

void DesktopStartupSteps::UnregisterVfsProtocol() { ::UnregisterVfsProtocol(); }

int DesktopStartupSteps::RunFirewallDialog(const std::string& address, const WideString& locale,
                                           const std::string& positionKey) {
    FirewallDlg dialog(toolkit_, timers_, address, locale, positionKey);
    return dialog.DoModal();
}

bool DesktopStartupSteps::RunMainWindow(AppParams& params, const WideString& address, const WideString& positionKey,
                                        WideString& followUp) {
    followUp = WideString();
    HTMLViewer window(toolkit_, timers_, followUp, String(address).Std(), RefPtr<AppParams>(&params),
                      String(positionKey).Std(), makeRoot_);
    window.DoModal();
    return window.IsReady();
}
