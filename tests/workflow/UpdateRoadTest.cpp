// The update road end to end through the main window on the headless page host, with
// the real root state and every real step: a page that answers each step's events
// with the next command as the launcher's page does (80, 45, 30, then the download,
// 300, and its install, 3000, or the patch from a folder, 3001), the loopback update
// server, the loopback swarm, an applier that records how it was started, and the
// launcher's own start of the applier once the window has closed with the plan's path.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/servers/PatchServerFixture.h"
#include "platform/glib/GlibTimerHost.h"
#include "platform/headless/HeadlessToolkit.h"
#include "shell/ProgramStarts.h"
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
#include "workflow/FeatureFactories.h"
#include "workflow/MainState.h"
#include "workflow/patches/MultiPatch.h"
#include "workflow/patches/PatchesDownloadFunctor.h"
#include "workflow/RoadWindow.h"
#include "workflow/patches/VersionUpdateState.h"

namespace {

namespace fs = std::filesystem;
using Reply = LoopbackHttpServer::Reply;

constexpr guint kHangGuardMs = 30000;

// The page's road: each event that ends a step well sends the next step's command;
// any other end of a step closes the window (1002), so a failure shows as a missing step.
struct RoadPage : EventPage {
    std::map<std::u16string, std::string> next = {
        {u"AppReady", "80"},
        {u"InitialCheck.OnReadyToUpdate", "45"},
        {u"CheckAttributes.OnSuccessChecking", "30"},
        {u"Patching.OnDownloadComplete", "3000"},
    };
    std::vector<std::u16string> stops = {u"InitialCheck.OnNeedRepair", u"CheckAttributes.OnFailedChecking_ResetAttrError",
                                         u"CheckAttributes.OnFailedChecking_UnknownError", u"Patching.OnResponse",
                                         u"Patching.OnServerError", u"Patching.OnLogicError", u"Patching.OnApplyFailed",
                                         u"Patching.OnTorrentError", u"Patching.OnDownloadCompleteTimeout",
                                         u"Launcher.OnDiskSpaceError"};
    std::vector<std::u16string> names;

    void OnEvent(HeadlessPageView& view, const std::vector<std::u16string>& event) override {
        names.push_back(event[0]);
        if (event[0] == u"AppReady") view.PostMessage("666");
        if (auto step = next.find(event[0]); step != next.end()) view.PostMessage(step->second);
        for (const std::u16string& stop : stops)
            if (event[0] == stop) view.PostMessage("1002");
    }
};

// Answers the version query with its applier version; started with a plan, records
// its folder, its argv and the plan it was given.
const char kApplier[] =
    "#!/bin/sh\n"
    "[ \"$1\" = \"-version\" ] && exit 7\n"
    "{ pwd; for a in \"$0\" \"$@\"; do echo \"$a\"; done; } > ../Personal/applier.tmp\n"
    "cp \"$1\" ../Personal/plan-copy\n"
    "mv ../Personal/applier.tmp ../Personal/applier.record\n";

class UpdateRoadTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!BuiltInKeyIsSample()) SKIP_UNLESS_REQUIRED("the launcher was built with another version key");
        EnterRoadGame(toolkit, home, game);
        params = new AppParams();
        params->binDir = WideString(u"./");
        params->gameRoot = WideString(u"../");
        params->patchesDir = WideString(u"../Patches/");
        params->versionFile = WideString(u"Profiles/game.version");
        params->launcherCfgPath = WideString(u"Profiles/Launcher.cfg");
        params->server = LoopbackAddress(server);
        SetAppParams(params.Get());
    }
    void TearDown() override {
        SetAppParams(nullptr);
        PumpPending();
    }

    // Runs the window until the page or a step closes it; the follow-up command line.
    // The launcher's own steps, but a download over the loopback swarm only.
    WideString RunWindow() {
        WideString followUp;
        FeatureFactories factories = FeatureFactories::Installed();
        factories.versionUpdate = [this](IMainWindow* w) {
            VersionUpdateSteps steps = VersionUpdateSteps::Default();
            steps.patchesDownload = [this](IMainWindow* downloadWindow, PatchInfos* patches) {
                DownloadEngineOptions options;
                options.folder = params->patchesDir;
                options.session = LoopbackSessionConfig();
                options.session.seedUrls.PushBack(String(swarm.WebSeedUrl().c_str()));
                RefPtr<PatchesDownloadView> view(new PatchesDownloadView(downloadWindow));
                return RefPtr<IPatchesDownloadFunctor>(PatchesDownloadFunctor::Create(view.Get(), options, patches, 0));
            };
            FeatureStart container;
            container.state = new VersionUpdateState(w, steps);
            return container;
        };
        HTMLViewer window(toolkit, &timers, followUp, kRoadStartUrl, params, "Software\\Brennic\\Test",
                          [&factories](HTMLViewer& w) { return RefPtr<IState>(MainState::Create(&w, factories)); });
        EXPECT_EQ(RunWindowBounded(window, kHangGuardMs), 2);
        return followUp;
    }

    // The installed game: one file, read-only, for the attribute check to free.
    void InstallGame() {
        const std::string dll = "code";
        ASSERT_TRUE(WriteWholeFile(game / "bin/a.dll", dll));
        ::chmod((game / "bin/a.dll").c_str(), 0444);
        VersionWriter::Model model;
        model.version = "1.0.1";
        model.folders.push_back({"/bin/", {ListedFile("a.dll", dll)}});
        ASSERT_TRUE(WriteWholeFile(game / "Profiles/game.version", SignedVersionFile(model)));
    }
    void ServeHistory() {
        server.Script("/upd/PatchesHistory.xdb",
                      Reply::Document(HistoryDocument(HistoryVersion("1.0.1", {"1.0.2"}) +
                                                      HistoryVersion("1.0.2", {"1.0.3"}) + HistoryVersion("1.0.3"))));
        server.Script("/upd/CurrentVersion.xdb", Reply::Document("<Base><gameVersion>1.0.3</gameVersion></Base>"));
    }
    bool FileIsWritable(const std::string& path) {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0 && (info.st_mode & S_IWUSR);
    }
    // Starts the applier as the launcher does once its window has closed; what it recorded.
    std::string StartApplier(const WideString& followUp) {
        EXPECT_TRUE(StartDetached(BuildApplierStart(followUp, WideString())));
        std::string record;
        for (int i = 0; i < 600 && !ReadWholeFile(game / "Personal/applier.record", record); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return record;
    }

    // A patch folder named like its patch, as a patch archive unpacks.
    std::string PatchFolder(const std::string& from, const std::string& to) {
        const std::string name = "p_q_" + from + "_" + to + "_.patch";
        const std::string folder = game / ("Downloads/" + name);
        WriteWholeFile(folder + "/" + name, "patch " + from + " to " + to);
        WriteWholeFile(folder + "/game.version", SignedVersionFile({to, {}}));
        WriteWholeFile(folder + "/VaraRurezod.exe", kApplier);
        ::chmod((folder + "/VaraRurezod.exe").c_str(), 0755);
        return folder;
    }

    TempDir home;
    GameTree game;
    LoopbackHttpServer server;
    LoopbackSwarm swarm;
    RefPtr<AppParams> params;
    std::shared_ptr<RoadPage> page = std::make_shared<RoadPage>();
    HeadlessToolkit toolkit{page};
    GlibTimerHost timers{&Timer::TimerProc};
};

TEST_F(UpdateRoadTest, FromTheInitialCheckOverTheDownloadToTheApplierStartedWithThePlan) {
    InstallGame();
    ServeHistory();
    // Each patch of the chain as the publishing tool makes it: the patch, the version's
    // file and the applier, in a folder of its own; the last one's applier is the one.
    for (const auto& [from, to] : {std::pair<std::string, std::string>{"1.0.1", "1.0.2"}, {"1.0.2", "1.0.3"}}) {
        const std::string top = "Patch_" + from + "-" + to;
        const std::string torrent = swarm.Publish(top, {{"p_q_" + from + "_" + to + "_.patch", PatternBytes(40000, to[4])},
                                                        {"game.version", SignedVersionFile({to, {}})},
                                                        {"VaraRurezod.exe", kApplier}},
                                                  {.trackers = {swarm.TrackerUrl()}});
        ASSERT_FALSE(torrent.empty());
        server.Script("/upd/" + from + "-" + to + ".torrent", Reply::Document(torrent));
    }
    page->next[u"Patching.OnAnswer"] = "300";

    const WideString followUp = RunWindow();
    EXPECT_EQ(followUp.Std(), u"../Patches/patching.cmd");
    const std::vector<std::u16string> road = {u"InitialCheck.OnReadyToUpdate", u"CheckAttributes.OnSuccessChecking",
                                              u"Patching.OnAnswer", u"Patching.OnDownloadStart",
                                              u"Patching.OnDownloadComplete"};
    std::vector<std::u16string> seen;
    for (const std::u16string& name : page->names)
        if (std::find(road.begin(), road.end(), name) != road.end()) seen.push_back(name);
    EXPECT_EQ(seen, road);
    EXPECT_TRUE(FileIsWritable(game / "bin/a.dll")) << "the attribute check left the file read-only";

    const RefPtr<MultiPatch> plan = MultiPatch::Load(WideString(u"../Patches/patching.cmd"));
    ASSERT_NE(plan, nullptr);
    ASSERT_EQ(plan->items.Size(), 2u);
    EXPECT_EQ(String(plan->items[0].version).Std(), "1.0.2");
    EXPECT_EQ(String(plan->items[1].version).Std(), "1.0.3");
    ASSERT_EQ(plan->items[1].patchFiles.Size(), 1u);
    EXPECT_EQ(ReadWholeFile(String(plan->items[1].patchFiles[0]).Std()), PatternBytes(40000, '3'));
    EXPECT_EQ(ReadWholeFile(game / "bin/VaraRurezod.exe"), kApplier);
    EXPECT_EQ(StartApplier(followUp), fs::canonical(game / "bin").string() + "\n./VaraRurezod.exe\n../Patches/patching.cmd\n");
    EXPECT_EQ(ReadWholeFile(game / "Personal/plan-copy"), ReadWholeFile(game / "Patches/patching.cmd"));
}

TEST_F(UpdateRoadTest, APlanTheServerNoLongerLeadsToGivesWayToAPatchFromAFolder) {
    InstallGame();
    ServeHistory();
    // A plan a run left behind for a chain the server no longer has.
    ASSERT_TRUE(WriteWholeFile(game / "Patches/patching.cmd", "  \"../Patches/x/p_q_1.0.0_1.0.1_.patch\""));
    server.Script("/upd/1.0.1-1.0.2.torrent", Reply::Document("d1:ai1ee"));
    server.Script("/upd/1.0.2-1.0.3.torrent", Reply::Document("d1:bi2ee"));
    // The player picks the first folder's applier and confirms the chain of both.
    const std::string first = PatchFolder("1.0.1", "1.0.2");
    const std::string second = PatchFolder("1.0.2", "1.0.3");
    toolkit.PromptScript().files.push_back(first + "/VaraRurezod.exe");
    toolkit.PromptScript().answers.push_back(true);
    page->next[u"Patching.OnAnswer"] = "3001@the page's argument";

    const WideString followUp = RunWindow();
    EXPECT_EQ(followUp.Std(), u"../Patches/patching.cmd");
    EXPECT_EQ(page->names, (std::vector<std::u16string>{
                               u"AppReady", u"InitialCheck.OnCheckRequest", u"InitialCheck.OnReadyToUpdate",
                               u"CheckAttributes.OnStartChecking", u"CheckAttributes.OnSuccessChecking",
                               u"Patching.OnRequest", u"Patching.OnAnswer"}));
    EXPECT_TRUE(FileIsWritable(game / "bin/a.dll")) << "the attribute check left the file read-only";

    // The new plan: both folders in chain order.
    const RefPtr<MultiPatch> plan = MultiPatch::Load(WideString(u"../Patches/patching.cmd"));
    ASSERT_NE(plan, nullptr);
    ASSERT_EQ(plan->items.Size(), 2u);
    EXPECT_EQ(String(plan->items[0].version).Std(), "1.0.2");
    EXPECT_EQ(String(plan->items[1].version).Std(), "1.0.3");
    EXPECT_EQ(String(plan->items[1].gameVersionFile).Std(), second + "/game.version");
    EXPECT_EQ(ReadWholeFile(game / "bin/VaraRurezod.exe"), kApplier);
    EXPECT_EQ(StartApplier(followUp), fs::canonical(game / "bin").string() + "\n./VaraRurezod.exe\n../Patches/patching.cmd\n");
    EXPECT_EQ(ReadWholeFile(game / "Personal/plan-copy"), ReadWholeFile(game / "Patches/patching.cmd"));
}

}  // namespace
