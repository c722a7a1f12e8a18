#pragma once
// A main window that records the page events sent to it and the ends asked of it.
#include <string>
#include <vector>

#include "workflow/IMainWindow.h"

using EventRecord = std::vector<std::u16string>;  // the name, then the arguments

struct RecordingWindow final : IMainWindow {
    explicit RecordingWindow(TimerHost* timerHost = nullptr) : timers(timerHost) {}

    std::vector<EventRecord> events;
    std::vector<int> ended;
    std::vector<std::u16string> titles;
    std::vector<std::u16string> followUps;  // the command lines the window ended with
    TimerHost* timers;
    IUserPrompt* prompt = nullptr;

    bool SendEvent(const WideString& name) override { return SendEventArgs(name, WideStringVector()); }
    bool SendEventArgs(const WideString& name, const WideStringVector& arguments) override {
        EventRecord event{name.Std()};
        for (const WideString& argument : arguments) event.push_back(argument.Std());
        events.push_back(event);
        return true;
    }
    void EndDialog(int code) override { ended.push_back(code); }
    void FinishWithResult(const WideString& followUp) override {
        followUps.push_back(followUp.Std());
        ended.push_back(2);
    }
    void SetTitleVersion(const WideString& version) override { titles.push_back(version.Std()); }
    TimerHost* Timers() override { return timers; }
    IUserPrompt* Prompt() override { return prompt; }

    std::vector<std::u16string> Names() const {
        std::vector<std::u16string> names;
        for (const EventRecord& event : events) names.push_back(event[0]);
        return names;
    }
};
