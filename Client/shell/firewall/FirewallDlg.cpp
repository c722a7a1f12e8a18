#include "shell/firewall/FirewallDlg.h"

#include <string>
#include <utility>

#include "shell/html/HtmlScript.h"
#include "shell/resources/StringIds.h"
#include "shell/resources/StringTable.h"

FirewallDlg::FirewallDlg(IUiToolkit& toolkit, TimerHost* timers, std::string startUrl, WideString locale,
                         std::string registryKey)
    : CHtmlDialog(toolkit, timers, startUrl, std::move(registryKey)),
      locale_(std::move(locale)),
      post_(startUrl.find("Post") != std::string::npos) {
    IgnoreMoves();
}

bool FirewallDlg::OnInitDialog() {
    bool hasWidth = false, hasHeight = false;
    DragStrip strip;
    strip.right = LoadResNumber(StringId::FirewallDragStripWidth, hasWidth);
    strip.bottom = LoadResNumber(StringId::FirewallDragStripHeight, hasHeight);
    if (!hasWidth || !hasHeight) strip = DragStrip{};
    if (!InitHtmlDialog(strip)) return false;
    SetTitle(LoadResString(StringId::GameName));
    const int width = LoadResNumber(StringId::FirewallDialogWidth, hasWidth);
    const int height = LoadResNumber(post_ ? StringId::FirewallPostHeight : StringId::FirewallDialogHeight, hasHeight);
    SetClientSize(width, height);
    return true;
}

void FirewallDlg::OnDocumentComplete() {
    SetDocumentComplete();
    BeginHandshake();
}

void FirewallDlg::OnHandshakeMissing() { EndDialog(post_ ? kAccepted : kCancelled); }

bool FirewallDlg::OnAppCommand(int code, const WideString&) {
    LogPageTraffic("firewall page command", std::to_string(code));
    switch (code) {
    case kLocaleCommand: {
        WideStringVector arguments;
        arguments.PushBack(locale_);
        LogPageTraffic("firewall page event", "FWLocale.OnLoad");
        View().SendEventArgs(WideString(u"FWLocale.OnLoad"), arguments);
        break;
    }
    case kAcceptCommand:
        EndDialog(kAccepted);
        break;
    case kReadyCommand:
        AnswerHandshake();
        break;
    case kCloseCommand:
        EndDialog(kCancelled);
        break;
    default:
        break;
    }
    return false;
}
