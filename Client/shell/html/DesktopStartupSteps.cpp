#include "shell/html/DesktopStartupSteps.h"

#include "shell/html/VfsProtocol.h"

bool DesktopStartupSteps::RegisterVfsProtocol(const WideString& root, const WideString& packName,
                                              const ByteVector& archive) {
    return ::RegisterVfsProtocol(toolkit_, root, packName, archive);
}

void DesktopStartupSteps::UnregisterVfsProtocol() { ::UnregisterVfsProtocol(); }

bool DesktopStartupSteps::RunMainWindow(AppParams& params, const WideString& address, const WideString& positionKey,
                                        WideString& followUp) {
    followUp = WideString();
    HTMLViewer window(toolkit_, timers_, followUp, String(address).Std(), RefPtr<AppParams>(&params),
                      String(positionKey).Std(), makeRoot_);
    window.DoModal();
    return window.IsReady();
}
