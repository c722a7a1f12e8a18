#include "platform/ui/DialogKeys.h"

KeyVerdict FilterDialogKey(const DialogKeyPress& press) {
    switch (press.key) {
    case DialogKey::Tab:
    case DialogKey::Enter:
    case DialogKey::Escape:
    case DialogKey::Delete:
        return KeyVerdict::Pass;
    case DialogKey::Insert:
        return (press.control || press.shift) && !press.alt && !press.logo ? KeyVerdict::Pass : KeyVerdict::Swallow;
    case DialogKey::F4:
        return press.alt && !press.control && !press.logo ? KeyVerdict::Pass : KeyVerdict::Swallow;
    case DialogKey::OtherFunctionKey:
        return KeyVerdict::Swallow;
    case DialogKey::Other:
        break;
    }
    if (press.alt || press.logo) return KeyVerdict::Swallow;
    if (!press.control) return KeyVerdict::Pass;
    const char letter = press.latinLetter;
    return letter == 'c' || letter == 'v' || letter == 'x' ? KeyVerdict::Pass : KeyVerdict::Swallow;
}
