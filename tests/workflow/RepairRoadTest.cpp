// The whole repair road through the headless page host, on real parts: a damaged
// temporary game tree (a changed file, a missing one, a missing folder, and a locked one
// made by a non-empty folder in its place), the scripted loopback update server with
// the repair set, and the repair torrent on the loopback swarm. A scripted page sends
// 50, 60, 600 and 6000 as the events arrive, and answers the locked-file question
// first with 800, then with 8000.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/runtime/Timer.h"
#include "engine/servers/PatchServerFixture.h"
#include "platform/glib/GlibTimerHost.h"
#include "platform/headless/HeadlessToolkit.h"
#include "shell/html/HTMLViewer.h"
#include "support/FileBytes.h"
#include "support/GameTree.h"
#include "support/JsonStrings.h"
#include "support/MainContextPump.h"
#include "support/RequiredEnvironment.h"
#include "support/TempDir.h"
#include "support/torrents/LoopbackSwarm.h"
#include "support/torrents/SessionDriver.h"
#include "support/versions/SignedVersions.h"
#include "workflow/RoadWindow.h"
#include "workflow/repair/RipDownloadFunctor.h"
#include "workflow/repair/VersionRepairState.h"

namespace {

constexpr guint kHangGuardMs = 60000;

using Event = std::vector<std::u16string>;
using Reply = LoopbackHttpServer::Reply;

// Sends the road's next command as each step reports, as the shipped page does.
struct RepairingPage : EventPage {
    std::vector<Event> events;
    std::vector<std::string> sent;
    int questions = 0;

    void OnEvent(HeadlessPageView& view, const std::vector<std::u16string>& event) override {
        events.push_back(event);
        const std::u16string& name = event[0];
        const auto send = [&](const std::string& command) {
            sent.push_back(command);
            view.PostMessage(command);
        };
        if (name == u"AppReady") {
            view.PostMessage("666");
            send("50");
        } else if (name == u"FullCheck.OnComplete") {
            send("60");
        } else if (name == u"Repair.OnAnswer") {
            send("600");
        } else if (name == u"Repair.OnDownloadComplete" && sent.back() == "600") {
            send("6000");
        } else if (name == u"Repair.OnLockedFile") {
            send(++questions == 1 ? "800" : "8000");
        } else if (name == u"Repair.OnSuccess" || name == u"Repair.OnFail" || name == u"Repair.OnError" ||
                   name == u"Repair.OnServerError" || name == u"Repair.OnLogicError" || name == u"FullCheck.OnSuccess" ||
                   name == u"FullCheck.OnFailGameVersion" || name == u"Launcher.OnDiskSpaceError") {
            view.PostMessage("1002");
        }
    }

    std::size_t Count(const std::u16string& name) const {
        std::size_t count = 0;
        for (const Event& event : events) count += event[0] == name ? 1 : 0;
        return count;
    }
};

const Payload& ServerFiles() {
    static const Payload files = {{"bin/a.dll", PatternBytes(40000, 1)},
                                  {"data/x.pak", PatternBytes(70000, 2)},
                                  {"new/sub/y.pak", PatternBytes(20000, 3)},
                                  {"data/intact.pak", PatternBytes(300000, 4)},
                                  {"bin/locked.dll", PatternBytes(9000, 5)}};
    return files;
}

std::string BytesOf(const std::string& path) {
    for (const PayloadFile& file : ServerFiles())
        if (file.path == path) return file.bytes;
    return "";
}

class RepairRoadTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!BuiltInKeyIsSample()) SKIP_UNLESS_REQUIRED("the launcher was built with another version key");
        EnterRoadGame(toolkit, home, game);
        params = new AppParams();
        params->gameRoot = WideString(u"../");
        params->versionFile = WideString(u"Profiles/game.version");
        params->patchesDir = WideString(u"../Patches/");
        params->server = LoopbackAddress(update);
        SetAppParams(params.Get());
        std::filesystem::create_directories(game / "Patches");
    }
    void TearDown() override {
        SetAppParams(nullptr);
        PumpPending();
    }

    // The installed game as the server has it, then damaged; the server's repair set.
    void Publish() {
        VersionWriter::Model model;
        model.version = "5.2.19";
        model.folders = {{"/bin/", {}}, {"/data/", {}}, {"/new/sub/", {}}};
        for (const PayloadFile& file : ServerFiles()) {
            const std::size_t slash = file.path.rfind('/');
            const std::string folder = "/" + file.path.substr(0, slash + 1);
            for (auto& listed : model.folders)
                if (listed.name == folder) listed.files.push_back(ListedFile(file.path.substr(slash + 1), file.bytes));
            ASSERT_TRUE(WriteWholeFile(game / file.path, file.bytes));
        }
        const std::string version = SignedVersionFile(model);
        ASSERT_TRUE(WriteWholeFile(game / "Profiles/game.version", version));
        ASSERT_TRUE(WriteWholeFile(game / "bin/a.dll", "changed"));
        std::filesystem::remove(game / "data/x.pak");
        std::filesystem::remove_all(game / "new");
        std::filesystem::remove(game / "bin/locked.dll");
        ASSERT_TRUE(WriteWholeFile(game / "bin/locked.dll/keep", "a folder where the file goes"));

        const std::string torrent = swarm.Publish("Rip", ServerFiles(), {.trackers = {swarm.TrackerUrl()}});
        ASSERT_FALSE(torrent.empty());
        update.Script("/upd/PatchesHistory.xdb", Reply::Document(HistoryDocument(HistoryVersion("5.2.19"))));
        update.Script("/upd/rip/Rip.torrent", Reply::Document(torrent));
        update.Script("/upd/Launcher.torrent",
                      Reply::Document(MakeTorrent(launcherFiles.Path(), "Launcher", {{"bin/Launcher.exe", "elf"}})));
        update.Script("/upd/versions/game.version", Reply::Document(version));
    }

    // The real steps; the download's session stays on loopback with the swarm's web seed.
    VersionRepairSteps Steps() {
        VersionRepairSteps steps = VersionRepairSteps::Default();
        steps.ripDownload = [this](IMainWindow* window, Rip* rip, RipPatchInfo* info) -> RefPtr<IRipDownloadFunctor> {
            DownloadEngineOptions options;
            options.folder = params->patchesDir;
            options.session = LoopbackSessionConfig();
            options.session.seedUrls.PushBack(String(swarm.WebSeedUrl().c_str()));
            RefPtr<RipDownloadView> view(new RipDownloadView(window));
            return RipDownloadFunctor::Create(view.Get(), options, params.Get(), rip, info);
        };
        return steps;
    }

    int RunWindow() {
        WideString followUp;
        HTMLViewer window(toolkit, &timers, followUp, kRoadStartUrl, params, "Software\\Brennic\\Test",
                          [this](HTMLViewer& w) { return RefPtr<IState>(new VersionRepairState(&w, Steps())); });
        return RunWindowBounded(window, kHangGuardMs);
    }

    TempDir home;
    GameTree game;
    TempDir launcherFiles;
    LoopbackHttpServer update;
    LoopbackSwarm swarm;
    RefPtr<AppParams> params;
    std::shared_ptr<RepairingPage> page = std::make_shared<RepairingPage>();
    HeadlessToolkit toolkit{page};
    GlibTimerHost timers{&Timer::TimerProc};
};

TEST_F(RepairRoadTest, TheDamagedFilesAreRepairedAndTheLockedOneIsAskedAboutUntilThePageGivesUp) {
    Publish();
    EXPECT_EQ(RunWindow(), 2);

    EXPECT_EQ(page->sent, (std::vector<std::string>{"50", "60", "600", "6000", "800", "8000"}));
    EXPECT_EQ(page->Count(u"Repair.OnLockedFile"), 2u);
    EXPECT_EQ(page->Count(u"Repair.OnDownloadStart"), 1u);
    ASSERT_FALSE(page->events.empty());
    // The files before the locked one are in place; it keeps what the check found.
    EXPECT_EQ(page->events.back(),
              (Event{u"Repair.OnFail", u"2", u"bin/a.dll", u"40000", u"0", u"0", u"bin/locked.dll", u"9000", u"3", u"1",
                     u"data/x.pak", u"70000", u"3", u"2", u"new/sub/y.pak", u"20000", u"3", u"3"}));
    EXPECT_EQ(ReadWholeFile(game / "bin/a.dll"), BytesOf("bin/a.dll"));
    EXPECT_TRUE(FileExistsAt(game / "bin/locked.dll/keep"));
    EXPECT_FALSE(std::filesystem::exists(game / "Patches/Rip"));
    // Only the damaged files and the pieces they share were fetched.
    EXPECT_LE(swarm.Http().PayloadBytesServed("/Rip/data/intact.pak"), 2u * 16 * 1024);
}

}  // namespace
