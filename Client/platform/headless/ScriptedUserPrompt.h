#pragma once
// Answers the player's questions from a script and records every dialog it was asked to
// show. Once the script runs out, file dialogs are cancelled and questions answered no:
// without a display nobody can answer.
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/UserPrompt.h"

class ScriptedUserPrompt final : public IUserPrompt {
public:
    enum class Kind { File, Message, Question };
    struct Shown {
        Kind kind;
        std::string text;     // a file dialog's title
        std::string caption;  // a file dialog's filter description
    };

    bool ChooseFile(const FileChoiceRequest& request, std::string& path) override;
    void ShowMessage(const std::string& text, const std::string& caption) override;
    bool AskYesNo(const std::string& text, const std::string& caption) override;

    // The answers of the next file dialogs in turn: a path, or nothing for a cancel.
    std::deque<std::optional<std::string>> files;
    std::deque<bool> answers;
    std::vector<Shown> shown;
    std::vector<FileChoiceRequest> fileRequests;
};
