// The page dialogs' key filter: which keys reach the page and which are swallowed.
#include <gtest/gtest.h>

#include "platform/ui/DialogKeys.h"

TEST(DialogKeys, EachKeyPassesOrIsSwallowedAsTheTableSays) {
    struct Case {
        const char* name;
        DialogKeyPress press;
        KeyVerdict verdict;
    };
    const auto pass = KeyVerdict::Pass;
    const auto swallow = KeyVerdict::Swallow;
    const Case cases[] = {
        {"a", {DialogKey::Other, 'a'}, pass},
        {"Shift+A", {DialogKey::Other, 'a', false, true}, pass},
        {"Backspace", {DialogKey::Other}, pass},
        {"Tab", {DialogKey::Tab}, pass},
        {"Shift+Tab", {DialogKey::Tab, 0, false, true}, pass},
        {"Ctrl+Tab", {DialogKey::Tab, 0, true}, pass},
        {"Enter", {DialogKey::Enter}, pass},
        {"Escape", {DialogKey::Escape}, pass},
        {"Delete", {DialogKey::Delete}, pass},
        {"Shift+Delete", {DialogKey::Delete, 0, false, true}, pass},
        {"Insert", {DialogKey::Insert}, swallow},
        {"Ctrl+Insert", {DialogKey::Insert, 0, true}, pass},
        {"Shift+Insert", {DialogKey::Insert, 0, false, true}, pass},
        {"Ctrl+C", {DialogKey::Other, 'c', true}, pass},
        {"Ctrl+V", {DialogKey::Other, 'v', true}, pass},
        {"Ctrl+X", {DialogKey::Other, 'x', true}, pass},
        {"Ctrl+Shift+C", {DialogKey::Other, 'c', true, true}, pass},
        {"Ctrl+A", {DialogKey::Other, 'a', true}, swallow},
        {"Ctrl+P", {DialogKey::Other, 'p', true}, swallow},
        {"Ctrl+N", {DialogKey::Other, 'n', true}, swallow},
        {"Ctrl+Z", {DialogKey::Other, 'z', true}, swallow},
        {"Ctrl+F", {DialogKey::Other, 'f', true}, swallow},
        {"Ctrl+Shift+I", {DialogKey::Other, 'i', true, true}, swallow},
        {"Ctrl+Backspace", {DialogKey::Other, 0, true}, swallow},
        {"Alt+C", {DialogKey::Other, 'c', false, false, true}, swallow},
        {"Ctrl+Alt+C", {DialogKey::Other, 'c', true, false, true}, swallow},
        {"Logo+C", {DialogKey::Other, 'c', false, false, false, true}, swallow},
        {"Alt+Left", {DialogKey::Other, 0, false, false, true}, swallow},
        {"Alt+F4", {DialogKey::F4, 0, false, false, true}, pass},
        {"F4", {DialogKey::F4}, swallow},
        {"Ctrl+F4", {DialogKey::F4, 0, true}, swallow},
        {"F5", {DialogKey::OtherFunctionKey}, swallow},
        {"F7", {DialogKey::OtherFunctionKey}, swallow},
        {"Shift+F10", {DialogKey::OtherFunctionKey, 0, false, true}, swallow},
    };
    for (const Case& c : cases) EXPECT_EQ(FilterDialogKey(c.press), c.verdict) << c.name;
}
