#pragma once
// The program's message boxes as the toolkit's dialogs, so a player on a desktop sees
// what the start-up has to say instead of it going to a terminal nobody reads.
#include "platform/ui/MessageBox.h"
#include "shell/resources/MessageSink.h"

class ToolkitMessageSink final : public IMessageSink {
public:
    // The boxes outlive the sink.
    explicit ToolkitMessageSink(IMessageBox& boxes) : boxes_(boxes) {}

    int Show(const WideString& text, const WideString& caption, int style) override;

private:
    IMessageBox& boxes_;
};
