// The repair request against the scripted loopback update server: the repair set for
// the download (60), the version file rewritten (6) only with bytes that read as one,
// and each failure as the one event the page gets.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "RecordingWindow.h"
#include "engine/servers/PatchServerFixture.h"
#include "shell/AppParams.h"
#include "support/ManualTimerHost.h"
#include "support/RequiredEnvironment.h"
#include "support/TempDir.h"
#include "support/versions/SignedVersions.h"
#include "workflow/repair/RipRequestFunctor.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using Reply = LoopbackHttpServer::Reply;

std::string VersionFile(const std::string& version) {
    VersionWriter::Model model;
    model.version = version;
    model.folders.push_back({"/bin/", {ListedFile("a.dll", "code")}});
    return SignedVersionFile(model);
}

class RipRequestTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!BuiltInKeyIsSample()) SKIP_UNLESS_REQUIRED("the launcher was built with another version key");
        params = new AppParams();
        params->gameRoot = WideString(String(tree.Path().c_str()));
        params->versionFile = WideString(u"Profiles/game.version");
        params->server = LoopbackAddress(server);
        tree.WriteFile("Profiles/game.version", "the old, broken version file");
    }

    void ScriptRepairSet(const std::string& versionBytes) {
        server.Script("/upd/PatchesHistory.xdb", Reply::Document(HistoryDocument(HistoryVersion("5.2.19"))));
        server.Script("/upd/rip/Rip.torrent", Reply::Document("the repair torrent"));
        server.Script("/upd/Launcher.torrent", Reply::Document("the launcher torrent"));
        server.Script("/upd/versions/game.version", Reply::Document(versionBytes));
    }

    RefPtr<RipRequestFunctor> Run(bool versionFileOnly) {
        RefPtr<RipRequestView> view(new RipRequestView(&window));
        RefPtr<RipRequestFunctor> functor = RipRequestFunctor::Create(view.Get(), params.Get(), versionFileOnly);
        EXPECT_TRUE(functor && functor->Run());
        running = functor;  // the step holds it while it runs
        return functor;
    }

    // Ticks in 10 ms steps until the request has told its outcome, then a little longer
    // so that a second event would show.
    void TickToTheEnd() {
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (window.events.size() < 2 && std::chrono::steady_clock::now() < deadline) {
            timers.Advance(RipRequestFunctor::kTickMs);
            std::this_thread::sleep_for(1ms);
        }
        for (int i = 0; i < 20; ++i) timers.Advance(RipRequestFunctor::kTickMs);
    }

    TempDir tree;
    LoopbackHttpServer server;
    RefPtr<AppParams> params;
    ManualTimerHost timers;
    RecordingWindow window{&timers};
    RefPtr<RipRequestFunctor> running;
};

TEST_F(RipRequestTest, TheRepairSetComesInFourDocuments) {
    ScriptRepairSet("version bytes");
    const RefPtr<RipRequestFunctor> request = Run(false);
    TickToTheEnd();

    EXPECT_EQ(window.Names(), (std::vector<std::u16string>{u"Repair.OnRequest", u"Repair.OnAnswer"}));
    EXPECT_EQ(DocumentsAsked(server),
              (std::vector<std::string>{"PatchesHistory.xdb", "rip/Rip.torrent", "Launcher.torrent", "versions/game.version"}));
    const RefPtr<RipPatchInfo> info = request->GetResult();
    ASSERT_TRUE(info);
    EXPECT_EQ(String(info->ripTorrentName).Std(), "rip/Rip.torrent");
    EXPECT_EQ(String(info->launcherTorrentName).Std(), "Launcher.torrent");
    EXPECT_EQ(std::string(info->ripTorrentBytes.begin(), info->ripTorrentBytes.end()), "the repair torrent");
    EXPECT_EQ(std::string(info->launcherTorrentBytes.begin(), info->launcherTorrentBytes.end()), "the launcher torrent");
    EXPECT_EQ(std::string(info->versionFileBytes.begin(), info->versionFileBytes.end()), "version bytes");
    // The answer alone changes nothing on disk.
    EXPECT_EQ(tree.ReadFile("Profiles/game.version"), "the old, broken version file");
    EXPECT_EQ(timers.ArmedCount(), 0u);
}

TEST_F(RipRequestTest, TheVersionFileIsReplacedOnlyByOneThatReads) {
    const std::string good = VersionFile("5.2.19");
    ASSERT_FALSE(good.empty());
    ScriptRepairSet(good);
    RefPtr<Game::IGameVersion> before = params->GetGameVersion();
    EXPECT_FALSE(before);
    Run(true);
    TickToTheEnd();
    EXPECT_EQ(window.Names(), (std::vector<std::u16string>{u"Repair.OnRequest", u"Repair.OnGameVersionRepaired"}));
    EXPECT_EQ(tree.ReadFile("Profiles/game.version"), good);
    // The run reads the new file, and no temporary file is left beside it.
    const RefPtr<Game::IGameVersion> after = params->GetGameVersion();
    ASSERT_TRUE(after);
    EXPECT_EQ(after->GetVersion().View(), u"5.2.19");
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(tree / "Profiles")) files += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 1u);

    // A server's file that is not a version file, or is cut short, leaves the one there.
    for (const std::string& bad : {std::string("not a version file"), good.substr(0, good.size() / 2)}) {
        window.events.clear();
        ScriptRepairSet(bad);
        Run(true);
        TickToTheEnd();
        EXPECT_EQ(window.events.back(), (EventRecord{u"Repair.OnLogicError", u"-3"}));
        EXPECT_EQ(tree.ReadFile("Profiles/game.version"), good);
    }
}

TEST_F(RipRequestTest, AVersionFileThatCannotBeWrittenIsASaveError) {
    ScriptRepairSet(VersionFile("5.2.19"));
    fs::remove_all(tree / "Profiles");
    tree.WriteFile("Profiles", "a file where the folder goes");
    Run(true);
    TickToTheEnd();
    EXPECT_EQ(window.Names(), (std::vector<std::u16string>{u"Repair.OnRequest", u"Repair.OnSaveError"}));
}

TEST_F(RipRequestTest, FailuresAreOneEventEach) {
    const std::string noInstaller = [] {
        std::string history = HistoryDocument(HistoryVersion("5.2.19"));
        const std::string tag = "<repairInstallerFile>repair.exe</repairInstallerFile>";
        return history.replace(history.find(tag), tag.size(), "");
    }();
    const struct {
        const char* name;
        Reply history;
        std::int32_t timeoutMs;
        EventRecord event;
    } cases[] = {
        {"a history without the repair installer", Reply::Document(noInstaller), 30000, {u"Repair.OnLogicError", u"-3"}},
        {"a history that is not XML", Reply::Document("<Base><ripTorrent"), 30000, {u"Repair.OnLogicError", u"-3"}},
        {"a refusal", Reply::Document("gone", "HTTP/1.0 404 Not Found"), 30000, {u"Repair.OnLogicError", u"-1"}},
        {"a status line without a code", Reply::Raw("HTTP/1.0\r\n\r\n"), 30000, {u"Repair.OnLogicError", u"-1"}},
        {"a server that does not answer", Reply::Silence(), 1000, {u"Repair.OnServerError", u"9"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        window.events.clear();
        server.Script("/upd/PatchesHistory.xdb", c.history);
        params->server = LoopbackAddress(server, c.timeoutMs);
        const RefPtr<RipRequestFunctor> request = Run(false);
        TickToTheEnd();
        EXPECT_EQ(window.events.size(), 2u);
        EXPECT_EQ(window.events.back(), c.event);
        EXPECT_FALSE(request->GetResult());
        EXPECT_EQ(timers.ArmedCount(), 0u);
    }
}

}  // namespace
