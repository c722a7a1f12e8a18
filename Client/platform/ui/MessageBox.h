#pragma once
// Message boxes: a modal GTK dialog where a display exists, else the text on stderr.
#include <string>

enum class MessageBoxButtons { Ok, OkCancel, YesNo };
enum class MessageBoxResult { Ok, Cancel, Yes, No };
enum class MessageBoxIcon { Info, Warning, Error, Question };

class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    virtual MessageBoxResult Show(const std::string& text, const std::string& caption, MessageBoxButtons buttons,
                                  MessageBoxIcon icon) = 0;
};
