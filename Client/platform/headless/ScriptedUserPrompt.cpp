#include "platform/headless/ScriptedUserPrompt.h"

bool ScriptedUserPrompt::ChooseFile(const FileChoiceRequest& request, std::string& path) {
    shown.push_back({Kind::File, request.title, request.filterName});
    fileRequests.push_back(request);
    if (files.empty()) return false;
    const std::optional<std::string> answer = files.front();
    files.pop_front();
    if (!answer) return false;
    path = *answer;
    return true;
}

void ScriptedUserPrompt::ShowMessage(const std::string& text, const std::string& caption) {
    shown.push_back({Kind::Message, text, caption});
}

bool ScriptedUserPrompt::AskYesNo(const std::string& text, const std::string& caption) {
    shown.push_back({Kind::Question, text, caption});
    if (answers.empty()) return false;
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
}
