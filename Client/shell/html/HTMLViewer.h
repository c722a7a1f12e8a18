#pragma once
// The launcher's main window: the page dialog that owns the workflow's root state,
// takes the window commands of the page itself (666 ready, 1002 exit, 1004 restart,
// 2001 minimise) and hands every other command to the root state.
#include <functional>
#include <string>

#include "shell/AppParams.h"
#include "shell/SingleInstance.h"
#include "shell/html/HtmlDialog.h"
#include "workflow/IMainWindow.h"
#include "workflow/IState.h"

class HTMLViewer final : public CHtmlDialog, public IMainWindow, private IPresentable {
public:
    // Makes the root state when the page has loaded (MainState in the program).
    using RootStateFactory = std::function<RefPtr<IState>(HTMLViewer& window)>;

    static constexpr int kRestartCommand = 1004;
    static constexpr int kMinimiseCommand = 2001;

    HTMLViewer(IUiToolkit& toolkit, TimerHost* timers, WideString& result, std::string startUrl,
               RefPtr<AppParams> params, std::string registryKey, RootStateFactory makeRoot);
    ~HTMLViewer() override;

    bool OnAppCommand(int code, const WideString& argument) override;
    void OnDocumentComplete() override;

    // IMainWindow
    bool SendEvent(const WideString& name) override;
    bool SendEventArgs(const WideString& name, const WideStringVector& arguments) override;
    void EndDialog(int code) override { CHtmlDialog::EndDialog(code); }
    void FinishWithResult(const WideString& followUp) override;
    void SetTitleVersion(const WideString& version) override;
    TimerHost* Timers() override { return timers_; }
    IUserPrompt* Prompt() override { return &Prompts(); }

    // The window's cancel action; only a framed window tells the page.
    void OnCancel() override;

    IState* RootState() const { return root_.Get(); }

protected:
    bool OnInitDialog() override;
    void OnActivate(bool active, bool minimised) override;
    void OnHandshakeMissing() override;

private:
    // A later start asked this window to come to the front.
    void Present() override;

    TimerHost* timers_;
    RefPtr<IState> root_;
    WideString& result_;
    RefPtr<AppParams> params_;
    RefPtr<LauncherMapFile> mapFile_;
    RootStateFactory makeRoot_;
    bool borderless_ = true;
};
