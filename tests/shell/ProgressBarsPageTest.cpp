// Every progress bar of the real page (the download panel, the game hub's download,
// the full check, the repair) fed through its own events in the real WebKitGTK: each
// must show a percent that came as a fraction, out of range or not a number the same
// way, a whole number from 0 to 100 written "42%", in both languages. Skipped when no
// display can be had.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/runtime/StrUtil.h"
#include "shell/SourcePageOnXvfb.h"

namespace {

constexpr int kBoundMs = 30000;
constexpr int kReport = 4343;

// "Test.Report" answers with command 4343: "TEXT WIDTH" of each bar, "|" between bars.
constexpr char kProbeScript[] = R"JS(
(function () {
    var bars = ["#download .progress", "#hub .progress", "#fullCheckProgress", "#repairProgress"];
    App.module("Test", {
        Report: function () {
            App.send(4343, bars.map(function (selector) {
                var bar = document.querySelector(selector);
                if (!bar) return "missing";
                return bar.querySelector(".percent").textContent + " " + bar.querySelector(".fill").style.width;
            }).join("|"));
        }
    });
})();
)JS";

WideString Wide(const std::u16string& text) { return WideString(text.data(), text.data() + text.size()); }

void Send(PageDialog& dialog, const std::u16string& name, const std::vector<std::u16string>& arguments = {}) {
    WideStringVector wide;
    for (const auto& argument : arguments) wide.PushBack(Wide(argument));
    dialog.View().SendEventArgs(Wide(name), wide);
}

using ProgressBarsPage = SourcePageOnXvfb;

TEST_F(ProgressBarsPage, EveryBarShowsAWholeClampedPercentInOneFormatInBothLanguages) {
    struct Case {
        std::u16string percent;
        std::string shown;
    };
    const std::vector<Case> cases = {
        {u"42", "42% 42%"},   {u"42.9", "42% 42%"}, {u"-5", "0% 0%"},     {u"250", "100% 100%"},
        {u"abc", "0% 0%"},    {u"", "0% 0%"},       {u"Infinity", "0% 0%"}, {u"100", "100% 100%"},
    };
    ASSERT_TRUE(files->AddToStartPageHead("<script src=\"vfs://Test/probe.js\"></script>\n"));
    files->inlinePages["Test/probe.js"] = kProbeScript;

    for (const std::u16string locale : {u"ru", u"en"}) {
        SCOPED_TRACE(StrUtil::ToNarrow(Wide(locale)).Std());
        std::vector<std::string> reports;
        PageDialog dialog(Toolkit(), &timers, "vfs://Launcher/res/launcher.htm", "");
        dialog.onCommand = [&](PageDialog& d, int code, const WideString& argument) {
            if (code == 10) {
                Send(d, u"Locale.OnLoad", {locale});
                Send(d, u"FullCheck.OnStart");
                for (const Case& c : cases) {
                    Send(d, u"Downloader.OnProgress", {c.percent, u"1024", u"2048", u"0", u"0", u"0"});
                    Send(d, u"Game.OnDownloading", {c.percent, u"0"});
                    Send(d, u"FullCheck.OnProgress", {c.percent});
                    Send(d, u"Repair.OnProgress", {c.percent});
                    Send(d, u"Test.Report");
                }
            }
            if (code == kReport) {
                reports.push_back(StrUtil::ToNarrow(argument).Std());
                if (reports.size() == cases.size()) d.EndDialog(2);
            }
        };
        EXPECT_EQ(RunBounded(dialog, kBoundMs), 2);
        ASSERT_EQ(reports.size(), cases.size());
        for (std::size_t i = 0; i < cases.size(); ++i) {
            const std::string& shown = cases[i].shown;
            EXPECT_EQ(reports[i], shown + "|" + shown + "|" + shown + "|" + shown)
                << "percent \"" << StrUtil::ToNarrow(Wide(cases[i].percent)).Std() << "\"";
        }
    }
}

}  // namespace
