// The update road as the real page runs it in the real WebKitGTK: a scripted launcher
// answers each step's command with that step's events, and the page must send the
// next command only once the step before has succeeded, say how each step went, stop
// at a failure with its words and offer to try again (the failed step alone, or the
// whole road when another step has taken its place, a game step then made again), and
// offer the install once the patches are downloaded. A screenshot of each state is saved under the build folder's
// "screenshots". Skipped when no display can be had.
#include <gtest/gtest.h>


#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <glib.h>

#include "base/runtime/StrUtil.h"
#include "base/runtime/Timer.h"
#include "platform/glib/GlibTimerHost.h"
#include "platform/gtk/GtkToolkit.h"
#include "shell/LauncherOnDisplay.h"
#include "shell/SourcePageOnXvfb.h"
#include "support/PrivateXvfb.h"
#include "support/RequiredEnvironment.h"

namespace {

constexpr int kBoundMs = 30000;
constexpr int kReport = 4343;

// "Test.Report" answers with command 4343: one line per element of the road, "ID|CLASS|
// SHOWN|ENABLED|TEXT". "Test.Click" clicks an element first.
constexpr char kProbeScript[] = R"JS(
    var ids = ["roadInitial", "roadAttributes", "roadRequest", "patchInstall", "patchManual", "roadRetry",
               "patchingStatus"];
    function shown(el) {
        if (el.closest("[hidden]")) return false;
        var r = el.getBoundingClientRect();
        return r.width > 0 && r.height > 0;
    }
    function report() {
        App.send(4343, ids.map(function (id) {
            var el = document.getElementById(id);
            if (!el) return id + "|missing";
            return [id, el.className, shown(el) ? "shown" : "hidden", el.disabled ? "disabled" : "enabled",
                    el.textContent.replace(/\s+/g, " ").trim()].join("|");
        }).join("\n"));
    }
    App.module("Test", {
        Report: function () { requestAnimationFrame(function () { requestAnimationFrame(report); }); },
        Click: function (id) { document.getElementById(id).click(); }
    });
)JS";

using PageEvent = std::vector<std::u16string>;

WideString Wide(const std::u16string& text) { return WideString(text.data(), text.data() + text.size()); }

void Send(PageDialog& dialog, const PageEvent& event) {
    WideStringVector arguments;
    for (std::size_t i = 1; i < event.size(); ++i) arguments.PushBack(Wide(event[i]));
    dialog.View().SendEventArgs(Wide(event[0]), arguments);
}

struct Element {
    std::string className, shown, enabled, text;
};

std::map<std::string, Element> ParseReport(const std::u16string& report) {
    std::map<std::string, Element> elements;
    const std::string text = StrUtil::ToNarrow(Wide(report)).Std();
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::vector<std::string> fields;
        std::size_t from = start;
        for (int i = 0; i < 4; ++i) {
            const std::size_t bar = text.find('|', from);
            if (bar == std::string::npos || bar > end) break;
            fields.push_back(text.substr(from, bar - from));
            from = bar + 1;
        }
        fields.push_back(text.substr(from, end - from));
        if (fields.size() == 5) elements[fields[0]] = {fields[1], fields[2], fields[3], fields[4]};
        start = end + 1;
    }
    return elements;
}

class UpdateRoadPageTest : public SourcePageOnXvfb {
protected:
    void SetUp() override {
        SourcePageOnXvfb::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        ASSERT_TRUE(files->AddProbeScript(kProbeScript));
        std::filesystem::create_directories(folder);
    }

    // Runs the page; script answers each command the page sends. Returns the road's
    // commands in the order the page sent them.
    std::vector<int> RunPage(const std::u16string& locale,
                             const std::function<void(PageDialog&, int, const std::u16string&)>& script) {
        PageDialog dialog(Toolkit(), &timers, "vfs://Launcher/res/launcher.htm", "");
        dialog.onCommand = [&](PageDialog& d, int code, const WideString& argument) {
            if (code == 10) Send(d, {u"Locale.OnLoad", locale});
            script(d, code, argument.Std());
        };
        EXPECT_EQ(RunBounded(dialog, kBoundMs), 2);
        std::vector<int> road;
        for (const auto& [code, argument] : dialog.commands)
            if (code == 80 || code == 45 || code == 30 || code == 70 || code == 3000 || code == 3001) road.push_back(code);
        return road;
    }

    // The report's state; a screenshot of the screen is taken once the web process has
    // had time to paint it, and then the page goes on.
    std::map<std::string, Element> Capture(const std::u16string& report, const std::string& name,
                                           std::function<void()> then) {
        struct Shot {
            Display* display;
            std::string path;
            std::function<void()> then;
        };
        g_timeout_add(700, [](gpointer data) {
            std::unique_ptr<Shot> shot(static_cast<Shot*>(data));
            EXPECT_TRUE(SaveScreenPng(shot->display, shot->path));
            shot->then();
            return G_SOURCE_REMOVE;
        }, new Shot{display, folder + "/" + name + ".png", std::move(then)});
        return ParseReport(report);
    }

    const std::string folder = LAUNCHER_BUILD_DIR "/screenshots";
};

TEST_F(UpdateRoadPageTest, EachStepStartsWhenTheOneBeforeSucceededAndTheDownloadCanBeInstalled) {
    std::map<std::string, Element> answered, failedApply;
    int applies = 0;
    const std::vector<int> road = RunPage(u"en", [&](PageDialog& d, int code, const std::u16string& argument) {
        switch (code) {
            case 80:
                Send(d, {u"InitialCheck.OnReadyToUpdate"});
                break;
            case 45:
                Send(d, {u"CheckAttributes.OnStartChecking"});
                Send(d, {u"CheckAttributes.OnSuccessChecking"});
                break;
            case 30:
                Send(d, {u"Patching.OnRequest", u"1.0.1"});
                Send(d, {u"Patching.OnAnswer", u"false", u"1.0.2", u"1.0.3"});
                Send(d, {u"Patching.OnDownloadComplete"});
                Send(d, {u"Test.Report"});
                break;
            case 3000:
                if (++applies == 1) {
                    Send(d, {u"Patching.OnApplyFailed"});
                    Send(d, {u"Test.Report"});
                } else {
                    d.EndDialog(2);
                }
                break;
            case kReport:
                (answered.empty() ? answered : failedApply) =
                    Capture(argument, answered.empty() ? "road-downloaded-en" : "road-applyfailed-en",
                            [&d] { Send(d, {u"Test.Click", u"patchInstall"}); });
                break;
        }
    });
    EXPECT_EQ(road, (std::vector<int>{80, 45, 30, 3000, 3000}));
    for (const char* step : {"roadInitial", "roadAttributes", "roadRequest"}) EXPECT_EQ(answered[step].className, "done") << step;
    EXPECT_NE(answered["roadRequest"].text.find("Updates are available."), std::string::npos);
    EXPECT_EQ(answered["patchInstall"].shown, "shown");
    EXPECT_EQ(answered["patchManual"].shown, "shown");
    EXPECT_EQ(answered["roadRetry"].shown, "hidden");
    EXPECT_NE(answered["patchingStatus"].text.find("ready to install"), std::string::npos);
    // A plan that could not be handed over keeps the window, says so, and may be tried again.
    EXPECT_EQ(failedApply["patchInstall"].enabled, "enabled");
    EXPECT_NE(failedApply["patchingStatus"].text.find("could not be handed to the patcher"), std::string::npos);
}

TEST_F(UpdateRoadPageTest, AFailedStepStopsTheRoadWithItsWordsAndCanBeTriedAgain) {
    std::map<std::string, Element> stopped;
    int attributeChecks = 0;
    const std::vector<int> road = RunPage(u"ru", [&](PageDialog& d, int code, const std::u16string& argument) {
        switch (code) {
            case 80:
                Send(d, {u"InitialCheck.OnCheckRequest"});
                Send(d, {u"InitialCheck.OnReadyToUpdate"});
                break;
            case 45:
                if (++attributeChecks == 2) {
                    d.EndDialog(2);
                    break;
                }
                Send(d, {u"CheckAttributes.OnStartChecking"});
                Send(d, {u"CheckAttributes.OnFailedChecking_ResetAttrError", u"../bin", u"../data <Пакеты>"});
                Send(d, {u"Test.Report"});
                break;
            case kReport:
                stopped = Capture(argument, "road-readonly-ru", [&d] { Send(d, {u"Test.Click", u"roadRetry"}); });
                break;
        }
    });
    // No patch request after the failed step; the retry runs that step alone.
    EXPECT_EQ(road, (std::vector<int>{80, 45, 45}));
    EXPECT_EQ(stopped["roadInitial"].className, "done");
    EXPECT_EQ(stopped["roadAttributes"].className, "failed");
    EXPECT_NE(stopped["roadAttributes"].text.find("только для чтения"), std::string::npos);
    // The folders are shown as the launcher named them, as text.
    EXPECT_NE(stopped["roadAttributes"].text.find("../bin, ../data <Пакеты>"), std::string::npos);
    EXPECT_EQ(stopped["roadRequest"].className, "waiting");
    EXPECT_EQ(stopped["roadRetry"].shown, "shown");
    EXPECT_EQ(stopped["patchInstall"].shown, "hidden");
}

TEST_F(UpdateRoadPageTest, ARetryAfterAGameStepTookTheRoadsPlaceRunsTheRoadAndMakesTheGameStepAgain) {
    int requests = 0;
    const std::vector<int> road = RunPage(u"en", [&](PageDialog& d, int code, const std::u16string&) {
        switch (code) {
            case 80:
                Send(d, {u"InitialCheck.OnReadyToUpdate"});
                break;
            case 45:
                Send(d, {u"CheckAttributes.OnSuccessChecking"});
                break;
            case 30:
                Send(d, {u"Patching.OnRequest", u"1.0.1"});
                if (++requests == 1) {
                    Send(d, {u"Patching.OnServerError", u"8"});
                    // A game step takes the road's place (the progressive edition makes
                    // one once the road has answered), then the player tries again.
                    Send(d, {u"Game.OnEpayCheck", u"0"});
                    Send(d, {u"Test.Click", u"roadRetry"});
                } else {
                    Send(d, {u"Patching.OnResponse", u"false"});
                }
                break;
            case 70:
                d.EndDialog(2);
                break;
        }
    });
    EXPECT_EQ(road, (std::vector<int>{80, 45, 30, 80, 45, 30, 70}));
}

}  // namespace
