// The main window on the headless page host with the real root state: a scripted page
// completes the handshake, starts the full check with command 50, watches its events
// arrive through MessageProc and closes the window with 1002 once the check reports.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/servers/PatchServerFixture.h"
#include "platform/glib/GlibTimerHost.h"
#include "platform/headless/HeadlessToolkit.h"
#include "shell/html/HTMLViewer.h"
#include "support/GameTree.h"
#include "support/JsonStrings.h"
#include "support/MainContextPump.h"
#include "support/TempDir.h"
#include "support/versions/SignedVersions.h"
#include "workflow/MainState.h"
#include "workflow/RoadWindow.h"

namespace {

constexpr guint kHangGuardMs = 20000;

using EventLog = std::vector<std::vector<std::u16string>>;

// Answers the handshake, then posts the commands it is given; ends the window once an
// event of the closing names arrives.
struct CheckingPage : EventPage {
    std::vector<std::string> afterReady;
    std::vector<std::u16string> closeOn;
    EventLog events;

    void OnEvent(HeadlessPageView& view, const std::vector<std::u16string>& event) override {
        events.push_back(event);
        if (event[0] == u"AppReady") {
            view.PostMessage("666");
            for (const std::string& command : afterReady) view.PostMessage(command);
        }
        for (const std::u16string& name : closeOn)
            if (event[0] == name) view.PostMessage("1002");
    }

    std::vector<std::u16string> NamesOf(const std::u16string& module) const {
        std::vector<std::u16string> names;
        for (const auto& event : events)
            if (event[0].rfind(module, 0) == 0) names.push_back(event[0]);
        return names;
    }
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!BuiltInKeyIsSample()) GTEST_SKIP() << "the launcher was built with another version key";
        EnterRoadGame(toolkit, home, game);
        params = new AppParams();
        params->gameRoot = WideString(u"../");
        params->versionFile = WideString(u"Profiles/game.version");
        SetAppParams(params.Get());
    }
    void TearDown() override {
        SetAppParams(nullptr);
        PumpPending();
    }

    void WriteGame(const std::vector<std::pair<std::string, std::string>>& present, const std::string& missing) {
        VersionWriter::Model model;
        model.version = "5.2.17";
        model.folders.push_back({"/bin/", {}});
        for (const auto& [name, bytes] : present) {
            ASSERT_TRUE(WriteWholeFile(game / ("bin/" + name), bytes));
            model.folders[0].files.push_back(ListedFile(name, bytes));
        }
        if (!missing.empty()) model.folders[0].files.push_back(ListedFile(missing, "gone"));
        ASSERT_TRUE(WriteWholeFile(game / "Profiles/game.version", SignedVersionFile(model)));
    }

    // Runs the window until the page closes it, or ends it with -99 after the guard time.
    int RunWindow() {
        WideString followUp;
        HTMLViewer window(toolkit, &timers, followUp, kRoadStartUrl, params, "Software\\Brennic\\Test",
                          [](HTMLViewer& w) { return RefPtr<IState>(MainState::Create(&w)); });
        return RunWindowBounded(window, kHangGuardMs);
    }

    TempDir home;
    GameTree game;
    RefPtr<AppParams> params;
    std::shared_ptr<CheckingPage> page = std::make_shared<CheckingPage>();
    HeadlessToolkit toolkit{page};
    GlibTimerHost timers{&Timer::TimerProc};
};

TEST_F(MainWindowTest, AFullCheckFromThePageReportsItsDamagedFilesAndTheWindowCloses) {
    WriteGame({{"a.dll", "code"}, {"b.pak", std::string(70000, 'p')}}, "c.dat");
    page->afterReady = {"50"};
    page->closeOn = {u"FullCheck.OnComplete", u"FullCheck.OnSuccess"};

    EXPECT_EQ(RunWindow(), 2);
    const std::vector<std::u16string> names = page->NamesOf(u"FullCheck.");
    ASSERT_GE(names.size(), 3u);
    EXPECT_EQ(names.front(), u"FullCheck.OnStart");
    EXPECT_EQ(names[names.size() - 2], u"FullCheck.OnProgress");
    EXPECT_EQ(page->events.back(), (std::vector<std::u16string>{u"FullCheck.OnComplete", u"bin/c.dat", u"4", u"3", u"0"}));

    // The page traffic log of the tree holds the codes and the event names.
    std::string traffic;
    ASSERT_TRUE(ReadWholeFile(game / "Personal/Logs/Launcher.log", traffic));
    for (const char* line : {"page command 50", "page event FullCheck.OnStart", "page event FullCheck.OnComplete"})
        EXPECT_NE(traffic.find(line), std::string::npos) << line << "\n" << traffic;
}

TEST_F(MainWindowTest, AMissingVersionFileIsToldOnceAndTheWindowStaysUsable) {
    page->afterReady = {"50", "7835@after"};
    page->closeOn = {u"Launcher.OnFrameLoad"};

    EXPECT_EQ(RunWindow(), 2);
    EXPECT_EQ(page->NamesOf(u"FullCheck."), std::vector<std::u16string>{u"FullCheck.OnFailGameVersion"});
    EXPECT_EQ(page->events.back(), (std::vector<std::u16string>{u"Launcher.OnFrameLoad", u"after"}));
}

TEST_F(MainWindowTest, ThePatchRequestFromThePageShowsTheChainOfVersionsToFetch) {
    WriteGame({{"a.dll", "code"}}, "");
    LoopbackHttpServer server;
    using Reply = LoopbackHttpServer::Reply;
    server.Script("/upd/CurrentVersion.xdb", Reply::Document("<Base><gameVersion>5.2.19</gameVersion></Base>"));
    server.Script("/upd/PatchesHistory.xdb",
                  Reply::Document(HistoryDocument(HistoryVersion("5.2.17", {"5.2.18"}) + HistoryVersion("5.2.18", {"5.2.19"}) +
                                                  HistoryVersion("5.2.19"))));
    server.Script("/upd/5.2.17-5.2.18.torrent", Reply::Document("d1:ai1ee"));
    server.Script("/upd/5.2.18-5.2.19.torrent", Reply::Document("d1:bi2ee"));
    params->server = LoopbackAddress(server);
    params->launcherCfgPath = WideString(u"Profiles/Launcher.cfg");
    // The road starts with 80; the request may follow at once, replacing its first step.
    page->afterReady = {"80", "30"};
    page->closeOn = {u"Patching.OnAnswer", u"Patching.OnServerError", u"Patching.OnLogicError"};

    EXPECT_EQ(RunWindow(), 2);
    EXPECT_EQ(page->NamesOf(u"Patching."), (std::vector<std::u16string>{u"Patching.OnRequest", u"Patching.OnAnswer"}));
    EXPECT_EQ(page->events.back(), (std::vector<std::u16string>{u"Patching.OnAnswer", u"false", u"5.2.18", u"5.2.19"}));
    EXPECT_EQ(DocumentsAsked(server), (std::vector<std::string>{"CurrentVersion.xdb", "PatchesHistory.xdb",
                                                                 "5.2.17-5.2.18.torrent", "5.2.18-5.2.19.torrent"}));
}

TEST_F(MainWindowTest, AnUnreachableUpdateServerIsToldToThePage) {
    WriteGame({{"a.dll", "code"}}, "");
    {
        LoopbackHttpServer gone;  // its port is closed again once it is gone
        params->server = LoopbackAddress(gone);
    }
    params->launcherCfgPath = WideString(u"Profiles/Launcher.cfg");
    page->afterReady = {"80", "30"};
    page->closeOn = {u"Patching.OnServerError", u"Patching.OnLogicError", u"Patching.OnAnswer"};

    EXPECT_EQ(RunWindow(), 2);
    EXPECT_EQ(page->events.back(), (std::vector<std::u16string>{u"Patching.OnServerError", u"8"}));
}

}  // namespace
