// The patch download step against the loopback swarm: a chain of patch torrents into
// a temporary game tree's patches folder, the page events it sends and the plan it
// makes; the demo's "_1" rule, the disk-space and torrent errors.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "RecordingWindow.h"
#include "base/runtime/StrUtil.h"
#include "support/GameTree.h"
#include "support/versions/SignedVersions.h"
#include "support/ManualTimerHost.h"
#include "support/RequiredEnvironment.h"
#include "support/torrents/LoopbackSwarm.h"
#include "support/torrents/SessionDriver.h"
#include "shell/LauncherConfig.h"
#include "workflow/Settings.h"
#include "workflow/WorkflowValues.h"
#include "workflow/patches/PatchesDownloadFunctor.h"

namespace {

WideString Wide(const std::string& text) { return StrUtil::ToWide(String(text.c_str())); }
std::string Narrow(const std::u16string& text) { return StrUtil::ToNarrow(WideString(text.c_str())).Std(); }

// The signed version file that a patch torrent to that version carries.
std::string VersionFileOf(const std::string& version) { return SignedVersionFile({version, {}}); }

class PatchesDownload : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(::chdir((tree / "bin").c_str()), 0); }

    // Publishes a patch and adds it to the chain, as the patch request hands it over.
    void AddPatch(const std::string& version, const std::string& top, const Payload& payload, bool tracker = true) {
        TorrentOptions options;
        if (tracker) options.trackers.push_back(swarm.TrackerUrl());
        const std::string torrent = swarm.Publish(top, payload, options);
        ASSERT_FALSE(torrent.empty());
        ByteVector bytes;
        for (char c : torrent) bytes.PushBack(static_cast<unsigned char>(c));
        patches->items.PushBack(RefPtr<PatchInfo>(new PatchInfo(Wide(version), 1, Wide("patches/" + top + ".torrent"), bytes)));
    }

    RefPtr<PatchesDownloadFunctor> MakeStep(
        int demoState = 0, bool webSeed = true,
        PatchesDownloadFunctor::EarlierFullVersion earlier = PatchesDownloadFunctor::EarlierFullVersion::Keep) {
        DownloadEngineOptions options;
        options.folder = Wide(Patches());
        options.session = LoopbackSessionConfig();
        if (webSeed) options.session.seedUrls.PushBack(String(swarm.WebSeedUrl().c_str()));
        options.freeBytes = [this](const String&, std::uint64_t& bytes) {
            bytes = freeBytes;
            return true;
        };
        RefPtr<PatchesDownloadView> view(new PatchesDownloadView(&window));
        return PatchesDownloadFunctor::Create(view.Get(), options, patches.Get(), demoState, earlier);
    }

    std::string Patches() const { return tree / "Patches/"; }
    int Count(const std::u16string& name) const {
        int count = 0;
        for (const EventRecord& event : window.events) count += event[0] == name ? 1 : 0;
        return count;
    }

    GameTree tree;
    ManualTimerHost timers;
    RecordingWindow window{&timers};
    LoopbackSwarm swarm;
    RefPtr<PatchInfos> patches{new PatchInfos()};
    std::uint64_t freeBytes = 1ull << 40;
};

TEST_F(PatchesDownload, AChainArrivesWithLiveProgressAndBecomesOnePlanWithTheLastApplier) {
    if (!BuiltInKeyIsSample()) SKIP_UNLESS_REQUIRED("the program checks version files against another key");
    AddPatch("1.0.1", "p101", {{"a_1.0.0_1.0.1_.patch", PatternBytes(16 * 1024 * 40, 1)},
                               {"game.version", VersionFileOf("1.0.1")},
                               {"VaraRurezod.exe", "applier 1"}});
    AddPatch("1.0.2", "p102", {{"b_1.0.1_1.0.2_.patch", PatternBytes(16 * 1024 * 25, 2)},
                               {"данные/c.patch", PatternBytes(1000, 3)},
                               {"game.version", VersionFileOf("1.0.2")},
                               {"bin/VaraRurezod.exe", "applier 2"}});
    swarm.Seed().LimitUploads(512 * 1024);  // a few seconds from the seed alone: many reports
    RefPtr<PatchesDownloadFunctor> step = MakeStep(0, false);
    ASSERT_TRUE(step);
    ASSERT_TRUE(step->Run());
    EXPECT_FALSE(step->Run());
    ASSERT_TRUE(TickUntil(timers, [&] { return Count(u"Patching.OnDownloadComplete") > 0; }));
    TickUntil(timers, [] { return false; }, std::chrono::milliseconds(300));
    EXPECT_EQ(Count(u"Patching.OnDownloadComplete"), 1);
    EXPECT_EQ(Count(u"Patching.OnTorrentError"), 0);
    ASSERT_FALSE(window.events.empty());
    EXPECT_EQ(window.events.front()[0], u"Patching.OnDownloadStart");
    EXPECT_EQ(window.events.back()[0], u"Patching.OnDownloadComplete");

    // Progress: every report of the whole chain's total, never going back, ending at 100.
    const std::string total =
        std::to_string(16 * 1024 * 65 + 1000 + VersionFileOf("1.0.1").size() + VersionFileOf("1.0.2").size() + 9 + 9);
    std::vector<long long> done;
    for (const EventRecord& event : window.events) {
        if (event[0] != u"Downloader.OnProgress") continue;
        ASSERT_EQ(event.size(), 7u);
        EXPECT_EQ(Narrow(event[3]), total);
        done.push_back(std::stoll(Narrow(event[2])));
        if (done.size() > 1) EXPECT_GE(done.back(), done[done.size() - 2]);
    }
    ASSERT_GT(done.size(), 2u);
    EXPECT_EQ(std::to_string(done.back()), total);
    EXPECT_GT(Count(u"Downloader.OnPeersInfo"), 0);

    RefPtr<CumulativePatch> plan = step->GetResult();
    ASSERT_TRUE(plan);
    ASSERT_EQ(plan->items.Size(), 2u);
    EXPECT_EQ(plan->items[0].version, WideString(u"1.0.1"));
    EXPECT_EQ(String(plan->items[0].gameVersionFile).Std(), Patches() + "p101/game.version");
    ASSERT_EQ(plan->items[0].patchFiles.Size(), 1u);
    EXPECT_EQ(String(plan->items[0].patchFiles[0]).Std(), Patches() + "p101/a_1.0.0_1.0.1_.patch");
    EXPECT_EQ(plan->items[1].version, WideString(u"1.0.2"));
    ASSERT_EQ(plan->items[1].patchFiles.Size(), 2u);
    EXPECT_EQ(String(plan->items[1].patchFiles[1]).Std(), Patches() + "p102/данные/c.patch");
    EXPECT_EQ(String(plan->applierPath).Std(), Patches() + "p102/bin/VaraRurezod.exe");
    EXPECT_EQ(ReadWholeFile(String(plan->applierPath).Std()), "applier 2");
    EXPECT_EQ(timers.ArmedCount(), 0u);  // the engine is gone with its timer
}

// A launcher killed while it wrote a patch: the next run's download over the same
// patches folder fetches only what is missing (every byte comes from the web seed here,
// which counts them).
TEST_F(PatchesDownload, ASecondRunAfterAKilledOneFetchesOnlyWhatIsMissing) {
    AddPatch("1.0.1", "p101", {{"a.patch", PatternBytes(16 * 1024 * 20, 1)}, {"b.patch", PatternBytes(16 * 1024 * 30, 2)}},
             false);
    {
        RefPtr<PatchesDownloadFunctor> first = MakeStep();
        ASSERT_TRUE(first && first->Run());
        ASSERT_TRUE(TickUntil(timers, [&] { return Count(u"Patching.OnDownloadComplete") == 1; }));
    }
    const std::uint64_t servedA = swarm.Http().PayloadBytesServed("/p101/a.patch");
    const std::uint64_t servedB = swarm.Http().PayloadBytesServed("/p101/b.patch");
    ASSERT_GE(servedA, 16u * 1024 * 20);
    std::filesystem::resize_file(Patches() + "p101/b.patch", 16 * 1024 * 10);  // a third of it was on disk

    RefPtr<PatchesDownloadFunctor> second = MakeStep();
    ASSERT_TRUE(second && second->Run());
    ASSERT_TRUE(TickUntil(timers, [&] { return Count(u"Patching.OnDownloadComplete") == 2; }));
    ASSERT_TRUE(second->GetResult());
    EXPECT_EQ(ReadWholeFile(Patches() + "p101/b.patch"), PatternBytes(16 * 1024 * 30, 2));
    EXPECT_EQ(swarm.Http().PayloadBytesServed("/p101/a.patch"), servedA);
    const std::uint64_t again = swarm.Http().PayloadBytesServed("/p101/b.patch") - servedB;
    EXPECT_GE(again, 16u * 1024 * 20);
    EXPECT_LE(again, 16u * 1024 * 21);
}

TEST_F(PatchesDownload, TheDemoLeavesOutThePatchesEndingInUnderscoreOneWithTheExtensionInSmallLetters) {
    if (!BuiltInKeyIsSample()) SKIP_UNLESS_REQUIRED("the program checks version files against another key");
    // (libtorrent takes names that differ in letter case only for one: a folder apart)
    AddPatch("1.0.1", "demo",
             {{"x.patch", "x"}, {"x_1.patch", "x_1"}, {"caps/x_1.PATCH", "X_1"}, {"game.version", VersionFileOf("1.0.1")}});
    RefPtr<PatchesDownloadFunctor> step = MakeStep(1);
    ASSERT_TRUE(step && step->Run());
    ASSERT_TRUE(TickUntil(timers, [&] { return Count(u"Patching.OnDownloadComplete") > 0; }));
    RefPtr<CumulativePatch> plan = step->GetResult();
    ASSERT_TRUE(plan);
    ASSERT_EQ(plan->items[0].patchFiles.Size(), 2u);
    EXPECT_EQ(String(plan->items[0].patchFiles[0]).Std(), Patches() + "demo/x.patch");
    EXPECT_EQ(String(plan->items[0].patchFiles[1]).Std(), Patches() + "demo/caps/x_1.PATCH");
    EXPECT_FALSE(FileExistsAt(Patches() + "demo/x_1.patch"));
}

// A future patch downloaded beside the game is remembered at once; a patch of the
// update road is not.
TEST_F(PatchesDownload, OnlyTheFutureUpdateModeRemembersTheDownloadedVersion) {
    const std::string cfg = tree / "Personal/Global.cfg";
    SettingsStore().Load(String(cfg.c_str()));
    Settings::prepatch_ready.SetString(String(""));
    RefPtr<PatchesDownloadView> view(new PatchesDownloadView(&window));
    Workflow::PrepatchVersion() = String("1.0.3");
    view->OnDownloadComplete();
    EXPECT_EQ(ReadWholeFile(cfg).find("1.0.3"), std::string::npos);
    Workflow::FutureUpdate() = true;
    view->OnDownloadComplete();
    Workflow::FutureUpdate() = false;
    EXPECT_NE(ReadWholeFile(cfg).find("prepatch_ready"), std::string::npos);
    EXPECT_NE(ReadWholeFile(cfg).find("1.0.3"), std::string::npos);
    EXPECT_EQ(window.Names(), (std::vector<std::u16string>{u"Patching.OnDownloadComplete", u"Patching.OnDownloadComplete"}));
    Settings::prepatch_ready.SetString(String(""));
    Workflow::PrepatchVersion() = String("");
}

// The version update's patches take the place of a full version fetched before, once
// their download exists; the future patches' download leaves it, and so does a
// download that could not be made.
TEST_F(PatchesDownload, OnlyTheVersionUpdatesDownloadRemovesAnEarlierFullVersion) {
    using Earlier = PatchesDownloadFunctor::EarlierFullVersion;
    AddPatch("1.0.1", "p101", {{"game.version", "1.0.1"}});
    struct Case {
        Earlier earlier;
        bool withPatches;
        bool stays;
    } cases[] = {{Earlier::Keep, true, true}, {Earlier::Remove, false, true}, {Earlier::Remove, true, false}};
    const RefPtr<PatchInfos> requested = patches;
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteWholeFile(Patches() + "Full/data/x.pak", "partial"));
        patches = c.withPatches ? requested : RefPtr<PatchInfos>();
        RefPtr<PatchesDownloadFunctor> step = MakeStep(0, true, c.earlier);
        EXPECT_EQ(static_cast<bool>(step), c.withPatches);
        EXPECT_EQ(std::filesystem::exists(Patches() + "Full"), c.stays) << static_cast<int>(c.earlier);
        EXPECT_TRUE(std::filesystem::exists(Patches()));
    }
}

TEST(DemoPatchRule, OnlyTheStemEndingInUnderscoreOneAndTheExactExtensionAreWithheld) {
    const struct {
        const char* path;
        bool withheld;
    } cases[] = {
        {"x_1.patch", true},          {"top/sub/a_1.patch", true}, {"_1.patch", true},
        {"x_1.PATCH", false},         {"x_1.Patch", false},        {"x.patch", false},
        {"x_1.patch.bak", false},     {"x_11.patch", false},       {"x_1", false},
        {"top/x_1.patch/y", false},   {"top\\x_1.patch", true},    {"x_1.patchx", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsDemoWithheldPatch(String(c.path)), c.withheld) << c.path;
}

TEST_F(PatchesDownload, NoRoomForTheTorrentFilesIsTheDiskSpaceError) {
    AddPatch("1.0.1", "p101", {{"a.patch", "a"}});
    freeBytes = 10;
    RefPtr<PatchesDownloadFunctor> step = MakeStep();
    ASSERT_TRUE(step);
    EXPECT_FALSE(step->Run());
    EXPECT_EQ(window.Names(), std::vector<std::u16string>{u"Launcher.OnDiskSpaceError"});
    EXPECT_FALSE(FileExistsAt(Patches() + "p101.torrent"));
}

TEST_F(PatchesDownload, AnEnginePauseWithoutRoomReportsTheDiskOnEveryTick) {
    AddPatch("1.0.1", "p101", {{"a.patch", PatternBytes(16 * 1024 * 40, 1)}});
    swarm.Seed().LimitUploads(16 * 1024);
    swarm.Http().SetDead(true);
    RefPtr<PatchesDownloadFunctor> step = MakeStep();
    ASSERT_TRUE(step && step->Run());
    ASSERT_TRUE(TickUntil(timers, [&] { return step->Engine()->GetPhase() == DownloadEngine::Downloading; }));
    freeBytes = 1024;  // the disk fills up, and the engine pauses the torrent
    step->Engine()->TorrentAt(0)->Pause(true);
    ASSERT_TRUE(TickUntil(timers, [&] { return Count(u"Launcher.OnDiskSpaceError") >= 3; }));
    EXPECT_EQ(Count(u"Patching.OnDownloadComplete"), 0);
}

// The applier puts a patch's version file in place once the patch is applied: a file
// that is not signed, or names another version than the patch leads to, would leave
// the game claiming a version it is not at. The chain's last torrent carries it.
TEST_F(PatchesDownload, AVersionFileNotOfThePatchsVersionIsATorrentErrorAndMakesNoPlan) {
    if (!BuiltInKeyIsSample()) SKIP_UNLESS_REQUIRED("the program checks version files against another key");
    std::string forged = VersionFileOf("1.0.2");
    forged[forged.size() / 2] ^= 0x20;
    const struct {
        const char* what;
        std::string versionFile;
    } cases[] = {
        {"unsigned text", "1.0.2"},
        {"signature broken", forged},
        {"an older version, signed", VersionFileOf("1.0.1")},
        {"a newer version, signed", VersionFileOf("1.0.3")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        window.events.clear();
        patches = new PatchInfos();
        const std::string top = "p" + std::to_string(&c - cases);
        AddPatch("1.0.1", top + "a", {{"a.patch", "a"}, {"game.version", VersionFileOf("1.0.1")}}, false);
        AddPatch("1.0.2", top + "b", {{"b.patch", "b"}, {"game.version", c.versionFile}}, false);
        RefPtr<PatchesDownloadFunctor> step = MakeStep();
        ASSERT_TRUE(step && step->Run());
        ASSERT_TRUE(TickUntil(timers, [&] { return Count(u"Patching.OnTorrentError") > 0; }));
        EXPECT_EQ(Count(u"Patching.OnDownloadComplete"), 0);
        EXPECT_FALSE(step->GetResult());
    }
}

TEST_F(PatchesDownload, AnUnsoundTorrentIsATorrentErrorAndNothingStarts) {
    AddPatch("1.0.1", "p101", {{"a.patch", "a"}});
    ByteVector junk;
    for (char c : std::string("d4:infoi1ee")) junk.PushBack(static_cast<unsigned char>(c));
    patches->items.PushBack(RefPtr<PatchInfo>(new PatchInfo(Wide("1.0.2"), 1, Wide("patches/bad.torrent"), junk)));
    RefPtr<PatchesDownloadFunctor> step = MakeStep();
    ASSERT_TRUE(step);
    EXPECT_FALSE(step->Run());
    EXPECT_EQ(window.Names(), std::vector<std::u16string>{u"Patching.OnTorrentError"});
    EXPECT_FALSE(step->Engine()->Session());
    EXPECT_EQ(timers.ArmedCount(), 0u);
}

}  // namespace
