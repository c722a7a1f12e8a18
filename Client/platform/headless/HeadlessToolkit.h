#pragma once
// The toolkit for tests and display-less runs: windows host a fake page, message
// boxes go to stderr and are recorded, opened addresses are recorded.
#include <memory>
#include <string>
#include <vector>

#include "platform/headless/HeadlessDialogWindow.h"
#include "platform/headless/ScriptedUserPrompt.h"
#include "platform/ui/UiToolkit.h"

class HeadlessMessageBox final : public IMessageBox {
public:
    struct Shown {
        std::string text, caption;
        MessageBoxButtons buttons;
    };

    MessageBoxResult Show(const std::string& text, const std::string& caption, MessageBoxButtons buttons,
                          MessageBoxIcon icon) override;

    std::vector<Shown> shown;
    bool answerYes = true;  // the answer to OkCancel and YesNo boxes
    bool quiet = false;     // tests keep stderr clean
};

class HeadlessToolkit final : public IUiToolkit {
public:
    explicit HeadlessToolkit(std::shared_ptr<IFakePage> page = nullptr,
                             std::vector<MonitorRect> monitors = {{0, 0, 1920, 1080}});

    std::unique_ptr<IDialogWindow> CreateDialogWindow() override;
    IMessageBox& Messages() override { return messages_; }
    IUserPrompt& Prompts() override { return prompts_; }
    bool RegisterUriScheme(const std::string& scheme, std::shared_ptr<IUriSchemeHandler> handler) override;
    bool OpenUri(const std::string& uri) override;

    // The window created last (owned by its creator), for tests.
    HeadlessDialogWindow* LastWindow() const { return lastWindow_; }
    HeadlessMessageBox& MessageLog() { return messages_; }
    ScriptedUserPrompt& PromptScript() { return prompts_; }
    const std::vector<std::string>& OpenedUris() const { return opened_; }

private:
    std::shared_ptr<IFakePage> page_;
    std::vector<MonitorRect> monitors_;
    std::shared_ptr<UriSchemeMap> schemes_ = std::make_shared<UriSchemeMap>();
    HeadlessMessageBox messages_;
    ScriptedUserPrompt prompts_;
    HeadlessDialogWindow* lastWindow_ = nullptr;
    std::vector<std::string> opened_;
};
