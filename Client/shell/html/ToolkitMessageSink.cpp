#include "shell/html/ToolkitMessageSink.h"

namespace {

MessageBoxIcon IconOf(int style) {
    switch (style & 0xF0) {
    case MessageStyle::IconError: return MessageBoxIcon::Error;
    case MessageStyle::IconQuestion: return MessageBoxIcon::Question;
    case MessageStyle::IconWarning: return MessageBoxIcon::Warning;
    default: return MessageBoxIcon::Info;
    }
}

}  // namespace

int ToolkitMessageSink::Show(const WideString& text, const WideString& caption, int style) {
    const bool question = (style & MessageStyle::ButtonMask) == MessageStyle::YesNo;
    const MessageBoxResult answer = boxes_.Show(String(text).Std(), String(caption).Std(),
                                                question ? MessageBoxButtons::YesNo : MessageBoxButtons::Ok,
                                                IconOf(style));
    switch (answer) {
    case MessageBoxResult::Yes: return MessageResult::Yes;
    case MessageBoxResult::No: return MessageResult::No;
    default: return question ? MessageResult::No : MessageResult::Ok;
    }
}
