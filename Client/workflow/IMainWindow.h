#pragma once
// What the workflow needs of the launcher's main window: page events, the end of the
// dialog, the window's timers and its dialogs. The window outlives every state and view.
#include "base/runtime/String.h"
#include "base/runtime/Vector.h"
#include "platform/TimerHost.h"
#include "platform/ui/UserPrompt.h"

class IMainWindow {
public:
    virtual ~IMainWindow() = default;

    // "Module.Event" with its arguments to the page's MessageProc, as data.
    virtual bool SendEvent(const WideString& name) = 0;
    virtual bool SendEventArgs(const WideString& name, const WideStringVector& arguments) = 0;
    // The modal loop ends once the running command has returned.
    virtual void EndDialog(int code) = 0;
    // Ends the window with the command line for the patch applier.
    virtual void FinishWithResult(const WideString& followUp) = 0;
    virtual void SetTitleVersion(const WideString& version) = 0;
    virtual TimerHost* Timers() = 0;
    // File choices and questions in dialogs over the window; null where nobody can answer.
    virtual IUserPrompt* Prompt() { return nullptr; }
};
