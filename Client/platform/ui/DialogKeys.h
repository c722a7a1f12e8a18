#pragma once
// Which keys of a page dialog reach its page. The dialog is an application, not a
// browser: a key that types or moves within the page passes, and so do Tab, Enter,
// Escape and Delete whatever is held, copy and paste (Ctrl+C, Ctrl+V, Ctrl+X,
// Ctrl+Insert, Shift+Insert) and Alt+F4. Every other key with Ctrl, Alt or the logo
// key held, Insert alone and every function key are swallowed before the web view
// sees them: neither the view's editing commands (select all, undo, ...) nor the
// toolkit's own window keys (its inspector, mnemonics) act on them.
//
//     DialogKeyPress press{DialogKey::Other, 'a', /*control*/ true};
//     FilterDialogKey(press);  // KeyVerdict::Swallow: no "select all" in the page

enum class DialogKey { Tab, Enter, Escape, Delete, Insert, F4, OtherFunctionKey, Other };

struct DialogKeyPress {
    DialogKey key = DialogKey::Other;
    // The key's Latin letter in lower case in any of the keyboard's layouts ('c' also for
    // the key that types "с" in a Russian one); 0 for a key that is no letter.
    char latinLetter = 0;
    bool control = false;
    bool shift = false;
    bool alt = false;
    bool logo = false;
};

enum class KeyVerdict { Pass, Swallow };

KeyVerdict FilterDialogKey(const DialogKeyPress& press);
