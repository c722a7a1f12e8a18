// The initial check as the page starts it (80), in a temporary game tree, against the
// loopback update server: a plan left in the patches folder is handed over again while
// the server's history still leads the same way, and deleted for every other outcome.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "RecordingWindow.h"
#include "VersionFileWriter.h"
#include "engine/servers/PatchServerFixture.h"
#include "support/FileBytes.h"
#include "support/GameTree.h"
#include "support/ManualTimerHost.h"
#include "workflow/FeatureFactories.h"
#include "workflow/MainState.h"
#include "workflow/PageCommands.h"
#include "workflow/StateIds.h"
#include "engine/gamedata/CreateGameVersion.h"
#include "workflow/checks/InitialCheckFunctor.h"
#include "workflow/patches/VersionUpdateState.h"

namespace {

namespace fs = std::filesystem;
using Reply = LoopbackHttpServer::Reply;

const std::string kHistory = HistoryDocument(HistoryVersion("1.0.1", {"1.0.2"}) + HistoryVersion("1.0.2", {"1.0.3"}) +
                                             HistoryVersion("1.0.3"));

std::string XmlPlan(const std::vector<std::string>& versions) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<Base>\r\n\t<format>multi</format>\r\n\t<patches>\r\n";
    for (const std::string& version : versions)
        xml += "\t\t<Item>\r\n\t\t\t<version>" + version + "</version>\r\n\t\t\t<gameVersionFile>../Patches/" + version +
               "/game.version</gameVersionFile>\r\n\t\t\t<patchFile>../Patches/" + version +
               "/p.patch</patchFile>\r\n\t\t</Item>\r\n";
    return xml + "\t</patches>\r\n</Base>\r\n";
}

class InitialCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::chdir((tree / "bin").c_str()), 0);
        params = new AppParams();
        params->binDir = WideString(u"./");
        params->gameRoot = WideString(u"../");
        params->patchesDir = WideString(u"../Patches/");
        params->versionFile = WideString(u"Profiles/game.version");
        params->launcherCfgPath = WideString(u"../Profiles/Launcher.cfg");
        params->server = LoopbackAddress(server);
        SetAppParams(params.Get());
        fs::create_directories(tree / "Patches");
    }
    void TearDown() override { SetAppParams(nullptr); }

    // The installed version in the older format, which needs no signature, so that the
    // test holds whatever key the launcher was built with.
    void InstallVersion(const std::string& version) {
        VersionWriter::Model model;
        model.version = version;
        WriteWholeFile(tree / "Profiles/game.version", VersionWriter::Compose(model, 4, 9, ""));
        installed = Game::CreateGameVersion(4, String("../"), String("Profiles/game.version"), 0);
        ASSERT_NE(installed, nullptr);
    }

    // The launcher's own update road, with the initial check given that version.
    FeatureFactories Factories() {
        FeatureFactories factories = FeatureFactories::Installed();
        if (!installed) return factories;
        factories.versionUpdate = [this](IMainWindow* w) {
            VersionUpdateSteps steps = VersionUpdateSteps::Default();
            steps.initialCheck = [this](IMainWindow* checkWindow) -> RefPtr<IInitialCheckFunctor> {
                RefPtr<InitialCheckView> view(new InitialCheckView(checkWindow));
                return InitialCheckFunctor::Create(view.Get(), params.Get(), installed.Get());
            };
            FeatureStart container;
            container.state = new VersionUpdateState(w, steps);
            return container;
        };
        return factories;
    }

    // 80 through the root state, then the window's ticks until the check has ended (at
    // most 10 s), and a few more so that a second outcome would show.
    bool Run80() {
        RefPtr<MainState> root(MainState::Create(&window, Factories()));
        const bool answer = root->OnCommand(PageCommand::VersionUpdate, WideString());
        const auto ended = [&] {
            for (const EventRecord& event : window.events)
                if (event[0] != u"InitialCheck.OnCheckRequest") return true;
            return !window.ended.empty();
        };
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!ended() && std::chrono::steady_clock::now() < deadline) {
            timers.Advance(InitialCheckFunctor::kTickMs);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        for (int i = 0; i < 20; ++i) timers.Advance(InitialCheckFunctor::kTickMs);
        return answer;
    }

    ManualTimerHost timers;
    RecordingWindow window{&timers};
    LoopbackHttpServer server;
    GameTree tree;
    RefPtr<AppParams> params;
    RefPtr<Game::IGameVersion> installed;
};

const std::vector<std::u16string> kReady{u"InitialCheck.OnReadyToUpdate"};
const std::vector<std::u16string> kCheckedAndReady{u"InitialCheck.OnCheckRequest", u"InitialCheck.OnReadyToUpdate"};
const std::vector<std::u16string> kChecked{u"InitialCheck.OnCheckRequest"};

TEST_F(InitialCheckTest, APlanStaysOnlyWhileTheServersHistoryLeadsTheSameWay) {
    const struct {
        const char* name;
        std::optional<std::string> plan;  // none: no plan file
        std::optional<Reply> history;     // none: the server is not to be asked
        std::vector<std::u16string> events;
        bool handedOver;
    } cases[] = {
        {"no plan", std::nullopt, std::nullopt, kReady, false},
        {"a plan that is no plan", std::string("garbage"), std::nullopt, kReady, false},
        {"an XML plan without entries", XmlPlan({}), std::nullopt, kReady, false},
        {"an XML plan that still holds", XmlPlan({"1.0.2", "1.0.3"}), Reply::Document(kHistory), kChecked, true},
        // The text form's version is its patch file's name.
        {"a text plan that still holds", std::string("  \"../Patches/x/1.0.2\" \"../Patches/x/game.version\""),
         Reply::Document(kHistory), kChecked, true},
        {"a text plan of an ordinary patch name", std::string("  \"../Patches/x/p_q_1.0.1_1.0.2_.patch\""),
         Reply::Document(kHistory), kCheckedAndReady, false},
        {"a broken chain", XmlPlan({"1.0.3"}), Reply::Document(kHistory), kCheckedAndReady, false},
        {"a history that is garbage", XmlPlan({"1.0.2"}), Reply::Document("garbage"), kCheckedAndReady, false},
        {"a server error", XmlPlan({"1.0.2"}), Reply::Document("", "HTTP/1.0 500 Internal Server Error"),
         kCheckedAndReady, false},
        {"a dropped connection", XmlPlan({"1.0.2"}), Reply::Raw("HTTP/1.0 200 OK\r\nContent-Le").EndWith(Reply::Ending::Reset),
         kCheckedAndReady, false},
    };
    InstallVersion("1.0.1");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        window.events.clear();
        window.ended.clear();
        window.followUps.clear();
        fs::remove(tree / "Patches/patching.cmd");
        if (c.plan) WriteWholeFile(tree / "Patches/patching.cmd", *c.plan);
        const std::size_t asked = server.Requests().size();
        if (c.history) server.Script("/upd/PatchesHistory.xdb", *c.history);

        EXPECT_TRUE(Run80());
        EXPECT_EQ(window.Names(), c.events);
        EXPECT_EQ(server.Requests().size() - asked, c.history ? 1u : 0u);
        EXPECT_EQ(fs::exists(tree / "Patches/patching.cmd"), c.handedOver);
        if (c.handedOver) {
            EXPECT_EQ(window.followUps, std::vector<std::u16string>{u"../Patches/patching.cmd"});
        } else {
            EXPECT_TRUE(window.ended.empty());
        }
    }
}

TEST_F(InitialCheckTest, WhatLiesThereInsteadOfAPlanIsNeverWaitedOn) {
    InstallVersion("1.0.1");
    ASSERT_EQ(::mkfifo((tree / "Patches/patching.cmd").c_str(), 0600), 0);
    EXPECT_TRUE(Run80());
    EXPECT_EQ(window.Names(), kReady);
    EXPECT_FALSE(fs::exists(fs::symlink_status(tree / "Patches/patching.cmd")));

    // A link is removed, never what it points to.
    window.events.clear();
    fs::remove(tree / "Patches/patching.cmd");
    WriteWholeFile(tree / "Personal/elsewhere", XmlPlan({"1.0.2"}));
    fs::create_symlink(tree / "Personal/elsewhere", tree / "Patches/patching.cmd");
    EXPECT_TRUE(Run80());
    EXPECT_EQ(window.Names(), kReady);
    EXPECT_FALSE(fs::exists(fs::symlink_status(tree / "Patches/patching.cmd")));
    EXPECT_TRUE(fs::exists(tree / "Personal/elsewhere"));
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(InitialCheckTest, WithoutAnInstalledVersionTheGameNeedsARepair) {
    WriteWholeFile(tree / "Patches/patching.cmd", XmlPlan({"1.0.2"}));
    EXPECT_FALSE(Run80());
    // Once: the root does not build a second container to fail again.
    EXPECT_EQ(window.Names(), std::vector<std::u16string>{u"InitialCheck.OnNeedRepair"});
    EXPECT_TRUE(fs::exists(tree / "Patches/patching.cmd"));
    EXPECT_TRUE(server.Requests().empty());
}

}  // namespace
