#pragma once
// Questions to the player in modal dialogs over the launcher's window: an existing file
// to choose, a message to acknowledge, a question to answer with yes or no. The desktop
// shows GTK dialogs; tests and runs without a display answer from a script. Texts are UTF-8.
#include <string>

struct FileChoiceRequest {
    std::string title;
    std::string filterName;  // the description of the dialog's one filter
    std::string fileName;    // the filter shows only files of exactly this name
};

class IUserPrompt {
public:
    virtual ~IUserPrompt() = default;

    // The path of the existing file the player chose; false when the dialog was cancelled.
    virtual bool ChooseFile(const FileChoiceRequest& request, std::string& path) = 0;
    virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
    // True only when the player answered yes.
    virtual bool AskYesNo(const std::string& text, const std::string& caption) = 0;
};
