// The page's send helper in the real page and the real WebKitGTK, on a private Xvfb: only
// a positive whole command code leaves the page. Anything else is a fault of the page's
// own and goes nowhere, since the launcher would read it as 0, which releases whatever
// step runs.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "shell/SourcePageOnXvfb.h"

namespace {

constexpr int kBoundMs = 30000;
constexpr int kLast = 4322;

constexpr char kSendScript[] = R"JS(
App.module("Test", {
    Send: function () {
        [undefined, null, "", " ", "x", "12abc", 0, "0", -3, 1.5, NaN, Infinity].forEach(function (code) {
            App.send(code, "not sent");
        });
        App.send("4321", "a@b");
        App.send(4322);
    }
});
)JS";

}  // namespace

using PageBridge = SourcePageOnXvfb;

TEST_F(PageBridge, OnlyPositiveWholeCommandCodesLeaveThePage) {
    ASSERT_TRUE(files->AddToStartPageHead("<script src=\"vfs://Test/send.js\"></script>\n"));
    files->inlinePages["Test/send.js"] = kSendScript;
    PageDialog dialog(Toolkit(), &timers, "vfs://Launcher/res/launcher.htm", "");
    std::vector<std::pair<int, std::u16string>> sent;
    bool testing = false;
    dialog.onCommand = [&](PageDialog& d, int code, const WideString& argument) {
        if (code == 10) {
            WideStringVector english;
            english.PushBack(WideString(u"en"));
            d.View().SendEventArgs(WideString(u"Locale.OnLoad"), english);
        }
        if (code == 20) {
            testing = true;
            d.View().SendEventArgs(WideString(u"Test.Send"), WideStringVector());
            return;
        }
        // The page's own start-up commands go on meanwhile: only the test's sends count.
        if (!testing || (argument.Std() != u"not sent" && code != 4321 && code != kLast)) return;
        sent.emplace_back(code, argument.Std());
        if (code == kLast) d.EndDialog(2);
    };
    EXPECT_EQ(RunBounded(dialog, kBoundMs), 2);
    const std::vector<std::pair<int, std::u16string>> expected = {{4321, u"a@b"}, {4322, u""}};
    EXPECT_EQ(sent, expected);
}
