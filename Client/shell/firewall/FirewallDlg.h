#pragma once
// The firewall dialog: a small page window that asks whether the launcher may open
// the firewall for its peers (first page), or says that it could not (second page,
// "FirewallPost"). The page asks for its language with 10, confirms the start with
// 666, accepts with 77 and cancels with 1002; its window ends with kAccepted or
// kCancelled.
#include <string>

#include "shell/html/HtmlDialog.h"

class FirewallDlg final : public CHtmlDialog {
public:
    static constexpr int kAccepted = 1;
    static constexpr int kCancelled = 2;
    static constexpr int kLocaleCommand = 10;
    static constexpr int kAcceptCommand = 77;

    // The locale is the user's "localization" setting; its page shows that language.
    FirewallDlg(IUiToolkit& toolkit, TimerHost* timers, std::string startUrl, WideString locale,
                std::string registryKey);

    bool OnAppCommand(int code, const WideString& argument) override;
    void OnDocumentComplete() override;

protected:
    bool OnInitDialog() override;
    // Nobody saw the question, so nobody agreed: the first page counts as declined.
    // The second page only reports, so the launcher goes on as its OK button would.
    void OnHandshakeMissing() override;

private:
    WideString locale_;
    bool post_;
};
