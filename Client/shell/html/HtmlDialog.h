#pragma once
// The common base of the page dialogs: a fixed-size window whose whole client area
// is the page, borderless and moved by a drag strip when it has one, its position
// kept between runs, run modally until EndDialog. It also runs the start handshake
// that every page dialog performs.
#include <string>

#include "base/runtime/RefCounter.h"
#include "base/runtime/String.h"
#include "platform/TimerHost.h"
#include "platform/ui/UiToolkit.h"
#include "shell/html/HandshakeWait.h"
#include "shell/html/HtmlCtrl.h"
#include "shell/html/HtmlHostHandlers.h"

class CHtmlDialog : public CHtml_Host_Handlers, private IDialogWindowListener {
public:
    // How long the page may take to answer "AppReady" with 666.
    static constexpr int kReadyWaitMs = 5000;
    static constexpr int kCloseCommand = 1002;
    static constexpr int kReadyCommand = 666;

    // An empty registry key keeps no position. The toolkit and the timer host
    // outlive the dialog.
    CHtmlDialog(IUiToolkit& toolkit, TimerHost* timers, std::string startUrl, std::string registryKey);
    ~CHtmlDialog() override;
    CHtmlDialog(const CHtmlDialog&) = delete;
    CHtmlDialog& operator=(const CHtmlDialog&) = delete;

    // OnInitDialog, then the modal loop; -1 when initialisation failed (no page
    // could end the dialog, so it is not shown).
    int DoModal();
    void EndDialog(int code);

    bool InitHtmlDialog(const DragStrip& strip);
    void SetClientSize(int width, int height);
    void SetTitle(const WideString& title);

    CHtmlCtrl& View() { return view_; }
    IDialogWindow& Window() { return *window_; }
    IUserPrompt& Prompts() { return toolkit_.Prompts(); }
    bool IsReady() const { return ready_; }

    // Script dialogs under the caption "Caption".
    bool ShowMessage(const WideString& text, MessageBoxButtons buttons) override;
    // Only http, https and mailto addresses leave the launcher.
    bool OpenExternal(const WideString& url) override;
    // A page that cannot be shown ends the dialog as an unanswered handshake does.
    void OnPageFailed() override { OnHandshakeMissing(); }

protected:
    virtual bool OnInitDialog() { return InitHtmlDialog(DragStrip{}); }
    virtual void OnActivate(bool active, bool minimised) { (void)active, (void)minimised; }
    // The window's cancel action (Escape that the page left unhandled). It never ends
    // the dialog; by default it does nothing.
    virtual void OnCancel() {}

    // Sends "AppReady" and waits a bounded time for AnswerHandshake (command 666).
    void BeginHandshake();
    void AnswerHandshake();
    // No answer in time: the dialog ends with 1.
    virtual void OnHandshakeMissing() { EndDialog(1); }
    // The window's moves are not followed: its key keeps -1 and -1, which restores nothing.
    void IgnoreMoves() { tracksMoves_ = false; }

private:
    void OnCloseRequest() override { OnAppCommand(kCloseCommand, WideString()); }
    void OnCancelRequest() override { OnCancel(); }
    void OnMoved(int x, int y) override;
    void OnActivationChanged(bool active, bool minimised) override { OnActivate(active, minimised); }
    void RestorePosition();
    void SavePosition();

    IUiToolkit& toolkit_;
    TimerHost* timers_;
    std::unique_ptr<IDialogWindow> window_;  // before the view: the view detaches from it first
    CHtmlCtrl view_;
    std::string startUrl_;
    std::string registryKey_;
    int lastX_ = -1;
    int lastY_ = -1;
    bool ready_ = false;
    bool tracksMoves_ = true;
    RefPtr<HandshakeWait> wait_;
};
