// The reinstall of the game in the launcher's real page and the real WebKitGTK, on a
// private Xvfb, with the test playing the launcher: each place that can only be mended
// by a reinstall (an installed version too old or with no patch from it, a damaged file
// of the running launcher found by the check, one of the launcher's own files met by the
// repair) offers it, and no other state does; the one question before it can be
// answered no, or cancelled with the window's cancel, and nothing starts; yes downloads
// the launcher (2700, 2701) and starts it in the reinstall mode (2702 "2"), also after a
// failed download that the player tries again. A damaged launcher file also offers the
// exit.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <glib.h>

#include "base/runtime/StrUtil.h"
#include "shell/SourcePageOnXvfb.h"

namespace {

constexpr int kBoundMs = 40000;
constexpr guint kStepMs = 150;
constexpr int kReport = 4545;

// "Test.Report" answers with command 4545: "ID=shown|hidden[,disabled]" for each id of
// the reinstall's places, a line each. "Test.Click" clicks an element.
constexpr char kProbeScript[] = R"JS(
    var ids = ["roadReinstall", "fullCheckReinstall", "fullCheckExit", "repairReinstall", "reinstallConfirm",
               "launcherUpdateRetry", "repairRun"];
    function shown(el) {
        if (el.closest("[hidden]")) return false;
        var r = el.getBoundingClientRect();
        return r.width > 0 && r.height > 0;
    }
    App.module("Test", {
        Click: function (id) { document.getElementById(id).click(); },
        Report: function () {
            requestAnimationFrame(function () {
                App.send(4545, ids.map(function (id) {
                    var el = document.getElementById(id);
                    return id + "=" + (shown(el) ? "shown" : "hidden") + (el.disabled ? ",disabled" : "");
                }).join("\n"));
            });
        }
    });
)JS";

using Event = std::vector<std::u16string>;

WideString Wide(const std::u16string& text) { return WideString(text.data(), text.data() + text.size()); }

// The page with the launcher's side scripted: the start-up's commands answered, the
// test's steps run one by one with time between them, commands answered with events,
// and each report kept.
struct ScriptedPage {
    explicit ScriptedPage(PageDialog& page) : dialog(page), run(page, kStepMs) {}

    PageDialog& dialog;
    PageSteps run;
    std::map<int, std::vector<Event>> answers;
    std::vector<std::map<std::string, std::string>> reports;

    void Send(const Event& event) {
        WideStringVector arguments;
        for (std::size_t i = 1; i < event.size(); ++i) arguments.PushBack(Wide(event[i]));
        dialog.View().SendEventArgs(Wide(event[0]), arguments);
    }
    std::function<void()> Do(std::vector<Event> events) {
        return [this, events] {
            for (const Event& event : events) Send(event);
        };
    }
    std::function<void()> Click(const std::u16string& id) { return Do({{u"Test.Click", id}}); }
    std::function<void()> Report() { return Do({{u"Test.Report"}}); }

    void OnCommand(int code, const WideString& argument) {
        if (code == 10) Send({u"Locale.OnLoad", u"en"});
        if (code == 20) run.Start();
        if (code == kReport) {
            std::map<std::string, std::string> report;
            const std::string text = StrUtil::ToNarrow(argument).Std();
            for (std::size_t start = 0; start < text.size();) {
                const std::size_t end = std::min(text.find('\n', start), text.size());
                const std::string line = text.substr(start, end - start);
                const std::size_t equals = line.find('=');
                report[line.substr(0, equals)] = line.substr(equals + 1);
                start = end + 1;
            }
            reports.push_back(report);
        }
        if (auto answer = answers.find(code); answer != answers.end())
            for (const Event& event : answer->second) Send(event);
    }
};

// The launcher download's commands in the order the page sent them.
std::vector<std::pair<int, std::u16string>> DownloadCommands(const PageDialog& dialog) {
    std::vector<std::pair<int, std::u16string>> commands;
    for (const auto& command : dialog.commands)
        if (command.first >= 2700 && command.first <= 2702) commands.push_back(command);
    return commands;
}

const Event kUpToDate = {u"Patching.OnResponse", u"false"};
const Event kDamaged = {u"FullCheck.OnComplete", u"data/world.pak", u"4096", u"5", u"0"};
const Event kLauncherDamaged = {u"FullCheck.OnComplete", u"bin/launcher.pak", u"2048", u"5", u"0"};
const Event kSystemCrash = {u"FullCheck.OnSystemCrash", u"bin/Launcher.exe", u"918432", u"5", u"0"};

}  // namespace

using ReinstallPage = SourcePageOnXvfb;

TEST_F(ReinstallPage, TheCheckAndTheRepairOfferItOnlyForTheLaunchersOwnFilesAndItAsksFirst) {
    ASSERT_TRUE(files->AddProbeScript(kProbeScript));
    PageDialog dialog(Toolkit(), &timers, "vfs://Launcher/res/launcher.htm", "");
    ScriptedPage page(dialog);
    page.answers = {
        {80, {{u"InitialCheck.OnReadyToUpdate"}}},
        {45, {{u"CheckAttributes.OnSuccessChecking"}}},
        {30, {{u"Patching.OnRequest", u"1.0.2"}, kUpToDate}},
        {60, {{u"Repair.OnRequest"}, {u"Repair.OnAnswer"}}},
        {600, {{u"Repair.OnLauncherRepair"}}},
    };
    dialog.onCommand = [&](PageDialog&, int code, const WideString& argument) { page.OnCommand(code, argument); };
    page.run.steps = {
        page.Report(),  // 0: the road answered, nothing damaged
        page.Do({{u"FullCheck.OnStart"}, kDamaged}),
        page.Report(),  // 1: damaged game files: the repair, no reinstall
        page.Do({{u"FullCheck.OnStart"}, kSystemCrash}),
        page.Report(),  // 2: a damaged file of the running launcher
        page.Click(u"fullCheckExit"),
        page.Do({{u"FullCheck.OnStart"}, kLauncherDamaged}),
        page.Click(u"repairRun"),
        page.Report(),  // 3: the repair met a file of the launcher
        page.Click(u"repairReinstall"),
        page.Report(),  // 4: the question
        page.Click(u"reinstallNo"),
        page.Report(),  // 5: answered no
        page.Click(u"repairReinstall"),
        page.Do({{u"App.OnCancel"}}),
        page.Report(),  // 6: cancelled by the window
    };
    EXPECT_EQ(RunBounded(dialog, kBoundMs), 2);
    ASSERT_EQ(page.reports.size(), 7u);
    for (std::size_t i : {0u, 1u}) {
        SCOPED_TRACE(i);
        for (const char* id : {"roadReinstall", "fullCheckReinstall", "fullCheckExit", "repairReinstall", "reinstallConfirm"})
            EXPECT_EQ(page.reports[i][id], "hidden") << id;
    }
    EXPECT_EQ(page.reports[1]["repairRun"], "shown");
    EXPECT_EQ(page.reports[2]["fullCheckReinstall"], "shown");
    EXPECT_EQ(page.reports[2]["fullCheckExit"], "shown");
    EXPECT_EQ(page.reports[2]["repairReinstall"], "hidden");
    EXPECT_EQ(page.reports[2]["repairRun"], "hidden");
    EXPECT_EQ(page.reports[3]["repairReinstall"], "shown");
    EXPECT_EQ(page.reports[3]["fullCheckReinstall"], "hidden");
    EXPECT_EQ(page.reports[3]["repairRun"], "hidden");
    EXPECT_EQ(page.reports[4]["reinstallConfirm"], "shown");
    EXPECT_EQ(page.reports[5]["reinstallConfirm"], "hidden");
    EXPECT_EQ(page.reports[6]["reinstallConfirm"], "hidden");
    EXPECT_TRUE(DownloadCommands(dialog).empty()) << "nothing starts without the player's yes";
    bool exited = false;
    for (const auto& command : dialog.commands) exited = exited || command.first == 1002;
    EXPECT_TRUE(exited) << "the check's exit button";
}

TEST_F(ReinstallPage, AnInstalledVersionNoPatchLeadsFromOffersItAndYesRunsTheDownloadInTheReinstallMode) {
    ASSERT_TRUE(files->AddProbeScript(kProbeScript));
    PageDialog dialog(Toolkit(), &timers, "vfs://Launcher/res/launcher.htm", "");
    ScriptedPage page(dialog);
    int requests = 0, fetches = 0;
    page.answers = {
        {80, {{u"InitialCheck.OnReadyToUpdate"}}},
        {45, {{u"CheckAttributes.OnSuccessChecking"}}},
        {2701, {{u"LauncherDownload.OnStartFilesDownload"},
                {u"Downloader.OnProgress", u"100", u"52428800", u"52428800", u"0", u"0", u"0"},
                {u"LauncherDownload.OnFinishFilesDownload"}}},
    };
    dialog.onCommand = [&](PageDialog&, int code, const WideString& argument) {
        // The patch request: a network error first, then no patch from the installed
        // version, then a version too old to patch.
        if (code == 30) {
            page.Send({u"Patching.OnRequest", u"0.9.0"});
            if (++requests == 1) page.Send({u"Patching.OnServerError", u"8"});
            else if (requests == 2) page.Send({u"Patching.OnLogicError", u"-2"});
            else page.Send({u"Patching.OnAnswer", u"true", u"1.0.2"});
        }
        // The first fetch of the launcher fails, the player tries again.
        if (code == 2700) {
            page.Send({u"LauncherDownload.OnStartTorrentDownload"});
            if (++fetches == 1) page.Send({u"LauncherDownload.OnServerError", u"8"});
            else page.Send({u"LauncherDownload.OnFinishTorrentDownload"});
        }
        if (code == 2702) dialog.EndDialog(2);
        page.OnCommand(code, argument);
    };
    page.run.steps = {
        page.Report(),  // 0: a network error: try again, no reinstall
        page.Click(u"roadRetry"),
        page.Report(),  // 1: no patch from the installed version
        page.Click(u"roadRetry"),
        page.Report(),  // 2: too old
        page.Click(u"roadReinstall"),
        page.Click(u"reinstallYes"),
        page.Report(),  // 3: the fetch failed
        page.Click(u"launcherUpdateRetry"),
    };
    EXPECT_EQ(RunBounded(dialog, kBoundMs), 2);
    ASSERT_EQ(page.reports.size(), 4u);
    EXPECT_EQ(page.reports[0]["roadReinstall"], "hidden");
    EXPECT_EQ(page.reports[1]["roadReinstall"], "shown");
    EXPECT_EQ(page.reports[2]["roadReinstall"], "shown");
    EXPECT_EQ(page.reports[3]["launcherUpdateRetry"], "shown");
    EXPECT_EQ(page.reports[3]["roadReinstall"], "shown") << "a failed download may be asked for again";
    const std::vector<std::pair<int, std::u16string>> expected = {{2700, u""}, {2700, u""}, {2701, u""}, {2702, u"2"}};
    EXPECT_EQ(DownloadCommands(dialog), expected);
    // Only the failed step was tried again each time: the road's own step stayed.
    int initialChecks = 0;
    for (const auto& command : dialog.commands) initialChecks += command.first == 80;
    EXPECT_EQ(initialChecks, 1);
    EXPECT_EQ(requests, 3);
}
