#pragma once
// Message boxes of the program. The shell talks to this interface; the desktop puts a
// dialog behind it, and without a display the messages go to stderr.
#include "base/runtime/String.h"

namespace MessageStyle {
constexpr int Ok = 0x0;
constexpr int YesNo = 0x4;
constexpr int IconError = 0x10;
constexpr int IconQuestion = 0x20;
constexpr int IconWarning = 0x30;
constexpr int IconInformation = 0x40;
constexpr int ButtonMask = 0xF;
}  // namespace MessageStyle

namespace MessageResult {
constexpr int Ok = 1;
constexpr int Yes = 6;
constexpr int No = 7;
}  // namespace MessageResult

class IMessageSink {
public:
    virtual ~IMessageSink() = default;
    // Shows text under caption with the buttons and icon of style; returns the answer.
    virtual int Show(const WideString& text, const WideString& caption, int style) = 0;
};

// Writes "caption: text" to stderr. Nobody can answer, so a question reads as No.
class HeadlessMessageSink final : public IMessageSink {
public:
    int Show(const WideString& text, const WideString& caption, int style) override;
};

// The process-wide sink (the headless one until another is set). Not owned; null
// restores the headless one.
IMessageSink& GetMessageSink();
void SetMessageSink(IMessageSink* sink);

// Shows string-table entry id under the caption "Launcher.exe".
int ShowResourceMessage(int id, int style);
