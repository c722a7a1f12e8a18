#pragma once
// How the browser view calls back into the dialog that hosts it.
#include "base/runtime/String.h"
#include "platform/ui/MessageBox.h"

class CHtml_Host_Handlers {
public:
    virtual ~CHtml_Host_Handlers() = default;

    // alert() and confirm() of the page; true when the user confirmed.
    virtual bool ShowMessage(const WideString& text, MessageBoxButtons buttons) = 0;
    // Opens an address outside the launcher.
    virtual bool OpenExternal(const WideString& url) = 0;
    // A page command; false means handled.
    virtual bool OnAppCommand(int code, const WideString& argument) {
        (void)code, (void)argument;
        return true;
    }
    // The first document completion.
    virtual void OnDocumentComplete() {}
    // The page cannot be shown: its load failed or its process ended.
    virtual void OnPageFailed() {}

    void SetDocumentComplete() { documentComplete_ = true; }
    bool IsDocumentComplete() const { return documentComplete_; }

private:
    bool documentComplete_ = false;
};
