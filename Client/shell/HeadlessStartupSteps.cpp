#include <cstdio>

#include "base/runtime/StrUtil.h"
#include "shell/StartupSteps.h"
#include "shell/firewall/FirewallDlg.h"

bool HeadlessStartupSteps::RegisterVfsProtocol(const WideString&, const WideString&, const ByteVector& archive) {
    return archive.Size() > 0;
}

int HeadlessStartupSteps::RunFirewallDialog(const std::string& address, const WideString&, const std::string&) {
    std::fprintf(stderr, "Launcher.exe: no display to ask about the firewall on; would show %s\n", address.c_str());
    return FirewallDlg::kCancelled;
}

bool HeadlessStartupSteps::RunMainWindow(AppParams& params, const WideString& address, const WideString&,
                                         WideString& followUp) {
    followUp = WideString();
    std::fprintf(stderr,
                 "Launcher.exe: no display to open the window on; would show %s\n"
                 "  game root %s, demo state %d, update server %s:%u%s (time-out %d ms)\n",
                 StrUtil::ToNarrow(address).CStr(), StrUtil::ToNarrow(params.gameRoot).CStr(),
                 static_cast<int>(params.demoState), params.server.host.CStr(),
                 static_cast<unsigned>(params.server.port), params.server.basePath.CStr(),
                 static_cast<int>(params.server.timeoutMs));
    return true;
}
