#pragma once
// The player's questions as GTK dialogs over the active launcher window: the desktop's
// own file chooser (GtkFileChooserNative, through the portal where one runs) and
// message dialogs. Each runs modally in a nested loop.
#include "platform/gtk/GtkToolkit.h"
#include "platform/ui/UserPrompt.h"

class GtkUserPrompt final : public IUserPrompt {
public:
    bool ChooseFile(const FileChoiceRequest& request, std::string& path) override;
    void ShowMessage(const std::string& text, const std::string& caption) override;
    bool AskYesNo(const std::string& text, const std::string& caption) override;

private:
    GtkMessageBox messages_;
};
