#pragma once
// GTK 3 with WebKitGTK 4.1. Create fails (null) when no display can be opened.
#include <memory>

#include "platform/ui/UiToolkit.h"

class GtkMessageBox final : public IMessageBox {
public:
    MessageBoxResult Show(const std::string& text, const std::string& caption, MessageBoxButtons buttons,
                          MessageBoxIcon icon) override;
};

class GtkUserPrompt;

class GtkToolkit final : public IUiToolkit {
public:
    // Initialises GTK without letting it switch the process locale: numbers are
    // parsed and printed in the "C" locale throughout.
    static std::unique_ptr<GtkToolkit> Create();

    std::unique_ptr<IDialogWindow> CreateDialogWindow() override;
    IMessageBox& Messages() override { return messages_; }
    IUserPrompt& Prompts() override;
    bool RegisterUriScheme(const std::string& scheme, std::shared_ptr<IUriSchemeHandler> handler) override;
    bool OpenUri(const std::string& uri) override;

    ~GtkToolkit() override;

private:
    GtkToolkit();

    GtkMessageBox messages_;
    std::unique_ptr<GtkUserPrompt> prompts_;
};
