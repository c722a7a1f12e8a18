// The full version of a demo installation in the game step: the list of what the demo
// lacks, read from a signed version file in a temporary game tree; the download steps
// on the repair machinery stand in as steps that record what they were given; the
// install moves real files from the staging folder into the tree.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "base/runtime/StrUtil.h"
#include "shell/AppParams.h"
#include "support/FileBytes.h"
#include "support/GameTree.h"
#include "support/ManualTimerHost.h"
#include "support/TempDir.h"
#include "support/RequiredEnvironment.h"
#include "support/torrents/LoopbackSwarm.h"
#include "support/torrents/SessionDriver.h"
#include "support/torrents/TorrentFixtures.h"
#include "support/versions/SignedVersions.h"
#include "workflow/PageCommands.h"
#include "workflow/RecordingWindow.h"
#include "workflow/StateIds.h"
#include "workflow/WorkflowValues.h"
#include "workflow/game/NoGame.h"
#include "workflow/game/FullVersion.h"
#include "workflow/game/GameState.h"
#include "workflow/repair/RipDownloadFunctor.h"
#include "workflow/repair/RipDownloadState.h"
#include "workflow/repair/RipRequestState.h"

namespace fs = std::filesystem;

namespace {

WideString W(const std::string& utf8) { return StrUtil::ToWide(String(utf8.c_str())); }
std::string N(const WideString& wide) { return StrUtil::ToNarrow(wide).Std(); }

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct StepStandIn final : IState {
    explicit StepStandIn(int stepId) : id(stepId) {}
    bool OnCommand(int, const WideString&) override { return false; }
    int GetId() const override { return id; }
    int id;
};

// A repair request that has had its answer.
struct AnsweredRequest final : IRipRequestFunctor {
    explicit AnsweredRequest(RipPatchInfo* answer) : info(answer) {}
    bool Run() override { return true; }
    RefPtr<RipPatchInfo> GetResult() override { return info; }
    RefPtr<RipPatchInfo> info;
};

ByteVector Bytes(const std::string& text) {
    ByteVector bytes;
    bytes.Append(text.data(), text.size());
    return bytes;
}

// What the download step was handed, and what it answers.
struct DownloadRecord {
    int calls = 0;
    IState* request = nullptr;
    std::vector<std::string> paths;
    std::vector<std::uint32_t> sizes;
    std::vector<std::int32_t> codes;
    std::u16string subfolder;
    std::string torrentPath;  // what the download reports as its torrent
    bool answer = true;
};

class FullVersionTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!BuiltInKeyIsSample()) SKIP_UNLESS_REQUIRED("the launcher was built with another version key");
        ASSERT_EQ(chdir((tree / "bin").c_str()), 0);
        params = new AppParams();
        params->gameRoot = W(tree.Root() + "/");
        params->versionFile = W("Profiles/game.version");
        params->patchesDir = W(tree / "Patches/");
        params->demoPath = W(tree / "bin/demo.old");
        params->demoState = 2;
        SetAppParams(params.Get());
        fs::create_directories(tree / "Patches");
        ASSERT_TRUE(WriteWholeFile(tree / "bin/demo.old", "brennic-full"));
    }

    void TearDown() override {
        state = nullptr;
        SetAppParams(nullptr);
        Workflow::FullVersionDownload() = false;
        for (const std::string& folder : lockedFolders) chmod(folder.c_str(), 0755);
    }

    // A version file with the minimal set the demo holds and the rest it lacks.
    void WriteVersion(const std::vector<VersionWriter::FolderEntry>& folders) {
        VersionWriter::Model model;
        model.version = "1.0.2";
        model.folders = folders;
        ASSERT_TRUE(WriteWholeFile(tree / "Profiles/game.version", SignedVersionFile(model)));
    }

    FullVersionFactories Factories() {
        FullVersionFactories factories;
        factories.request = [this](IMainWindow* w) {
            EXPECT_EQ(w, &window);
            FeatureStart start;
            start.state = requestStep;
            start.start = [](const WideString&) { return true; };
            return start;
        };
        factories.download = [this](IMainWindow*, IState* request, Rip* list, const WideString& subfolder) {
            ++download.calls;
            download.request = request;
            for (const RipEntry& entry : list->entries) {
                download.paths.push_back(N(entry.path));
                download.sizes.push_back(entry.size);
                download.codes.push_back(entry.code);
            }
            download.subfolder = subfolder.Std();
            FullVersionDownloadStart start;
            start.state = new StepStandIn(StateId::RipDownload);
            start.start = [this](WideString& torrentPath) {
                torrentPath = W(download.torrentPath);
                return download.answer;
            };
            return start;
        };
        return factories;
    }

    void NewState(FullVersionFactories factories) {
        state = new GameState(game.Get(), &window, {}, std::move(factories));
    }

    bool Command(int code) { return state->OnCommand(code, WideString()); }

    // A file the download left in the staging folder.
    void Staged(const std::string& folder, const std::string& relative, const std::string& bytes) {
        const std::string path = tree / ("Patches/Full/" + folder + "/" + relative);
        fs::create_directories(fs::path(path).parent_path());
        ASSERT_TRUE(WriteWholeFile(path, bytes));
    }

    void Lock(const std::string& folder) {
        fs::create_directories(folder);
        chmod(folder.c_str(), 0555);
        lockedFolders.push_back(folder);
    }

    GameTree tree;
    RefPtr<AppParams> params;
    RecordingWindow window;
    RefPtr<IGameFunctor> game {new NoGame};
    RefPtr<StepStandIn> requestStep {new StepStandIn(StateId::RipRequest)};
    RefPtr<GameState> state;
    DownloadRecord download;
    std::vector<std::string> lockedFolders;
};

TEST_F(FullVersionTest, TheListHoldsWhatTheDemoLacksFromTheWholeVersionFile) {
    WriteVersion({{"/bin/", {ListedFile("Launcher.exe", "launcher", 3), ListedFile("ZIrira.exe", "game!", 1)}},
                  {"/data/Packs/", {ListedFile("base.pak", "base", 2), ListedFile("hires.pak", "hires-pack", 0)}},
                  {"\\Maps\\", {ListedFile("north.map", "north", 1)}}});
    RefPtr<Rip> list = FullVersion::BuildList(*params);
    ASSERT_TRUE(list);
    std::vector<std::string> paths;
    for (const RipEntry& entry : list->entries) {
        paths.push_back(N(entry.path));
        EXPECT_EQ(entry.code, 3);
    }
    EXPECT_EQ(paths, (std::vector<std::string>{"bin/ZIrira.exe", "data/Packs/hires.pak", "Maps\\north.map"}));
    EXPECT_EQ(list->entries[1].size, 10u);
    EXPECT_FALSE(list->systemFile);

    // The demo's own object keeps only the minimal set; the list reads the whole file.
    params->demoState = 1;
    EXPECT_EQ(FullVersion::BuildList(*params)->entries.Size(), 3u);
    params->versionFile = W("Profiles/missing.version");
    EXPECT_FALSE(FullVersion::BuildList(*params));
    // A name that leads out of the game makes the whole file unusable.
    params->versionFile = W("Profiles/game.version");
    WriteVersion({{"/data/../../", {ListedFile("escape.pak", "out", 1)}}});
    EXPECT_FALSE(FullVersion::BuildList(*params));
}

TEST_F(FullVersionTest, OnlyATrailingTorrentExtensionLeavesTheStagingName) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"../patches/full/brennic-full.torrent", "../patches/full/brennic-full"},
        {"../patches/full.torrent.d/rip.torrent", "../patches/full.torrent.d/rip"},
        {"../patches/full/rip.torrent.old", "../patches/full/rip.torrent.old"},
        {"../patches/full/rip", "../patches/full/rip"},
        {"", ""},
    };
    for (const auto& [path, staging] : cases) EXPECT_EQ(N(FullVersion::StagingFolder(W(path))), staging) << path;
}

TEST_F(FullVersionTest, TheRoadFromRequestToInstallMovesTheFullVersionIntoTheGame) {
    WriteVersion({{"/bin/", {ListedFile("Launcher.exe", "launcher", 3)}},
                  {"/data/Packs/", {ListedFile("hires.pak", "hires", 1)}},
                  {"/Maps/North/", {ListedFile("north.map", "north", 1)}}});
    ASSERT_TRUE(WriteWholeFile(tree / "data/Packs/hires.pak", "old demo bytes"));
    download.torrentPath = N(params->patchesDir) + "full/brennic-full.torrent";  // the engine's lower case
    NewState(Factories());

    EXPECT_TRUE(Command(PageCommand::FullDownload));
    EXPECT_TRUE(Workflow::FullVersionDownload());
    EXPECT_EQ(state->FindState(StateId::RipRequest), requestStep.Get());

    EXPECT_TRUE(Command(PageCommand::RipDownload));
    EXPECT_EQ(download.request, requestStep.Get());
    EXPECT_EQ(download.paths, (std::vector<std::string>{"data/Packs/hires.pak", "Maps/North/north.map"}));
    EXPECT_EQ(download.sizes, (std::vector<std::uint32_t>{5, 5}));
    EXPECT_EQ(download.subfolder, u"Full/");
    EXPECT_EQ(state->GetId(), StateId::RipDownload);
    EXPECT_EQ(N(state->StagingFolder()), N(params->patchesDir) + "full/brennic-full");

    // The download finished into the folder with the torrent's own letters.
    Staged("Brennic-Full", "data/Packs/hires.pak", "hires");
    Staged("Brennic-Full", "Maps/North/north.map", "north");
    // The game starts while the download step is current: its folder stays.
    ASSERT_TRUE(Command(PageCommand::GameRun));
    ASSERT_TRUE(fs::exists(tree / "Patches/Full/Brennic-Full/Maps/North/north.map"));

    EXPECT_TRUE(Command(PageCommand::FullDownloaded));
    EXPECT_EQ(window.events, std::vector<EventRecord>{{u"Game.ExitGame"}});
    EXPECT_EQ(ReadAll(tree / "data/Packs/hires.pak"), "hires");  // replaced
    EXPECT_EQ(ReadAll(tree / "Maps/North/north.map"), "north");  // its folders created
    EXPECT_FALSE(fs::exists(tree / "bin/demo.old"));
    EXPECT_FALSE(fs::exists(tree / "Patches/Full"));
    EXPECT_TRUE(fs::exists(tree / "Patches"));
    EXPECT_EQ(state->GetStep(), nullptr);  // the download let go of its files first
    const std::string staging = tree / "Patches/Full/Brennic-Full/";
    EXPECT_EQ(ReadAll(tree / "Personal/Logs/move-bo-full.txt"),
              staging + "data/Packs/hires.pak\n" + tree.Root() + "/data/Packs/hires.pak\n\n" +
              staging + "Maps/North/north.map\n" + tree.Root() + "/Maps/North/north.map\n\n");
}

TEST_F(FullVersionTest, AFailedMoveStopsTheInstallAndKeepsTheDemo) {
    WriteVersion({{"/data/", {ListedFile("a.pak", "new", 1)}},
                  {"/data/Locked/", {ListedFile("b.pak", "new", 1)}},
                  {"/data/Blocked/", {ListedFile("c.pak", "new", 1)}},
                  {"/data/", {ListedFile("d.pak", "new", 1)}}});
    download.torrentPath = tree / "Patches/Full/rip.torrent";
    NewState(Factories());
    ASSERT_TRUE(Command(PageCommand::RipDownload));  // without a request step the download decides
    EXPECT_EQ(download.request, nullptr);
    for (const char* name : {"data/a.pak", "data/Locked/b.pak", "data/Blocked/c.pak", "data/d.pak"})
        Staged("rip", name, "new");

    // A folder the launcher cannot write to, where it can be made so; a file where a
    // folder should be stops even the superuser.
    const bool canLock = geteuid() != 0;
    if (canLock) Lock(tree / "data/Locked");
    ASSERT_TRUE(WriteWholeFile(tree / "data/Blocked", "a file, not a folder"));
    // The log's folder is not writable either (or is a file): the moves go on without it.
    ASSERT_TRUE(WriteWholeFile(tree / "Personal/Logs", "no folder"));

    EXPECT_TRUE(Command(PageCommand::FullDownloaded));
    EXPECT_EQ(window.events, std::vector<EventRecord>{{u"Game.FullInstallationFailed"}});
    EXPECT_EQ(ReadAll(tree / "data/a.pak"), "new");
    const std::string failed = canLock ? "data/Locked/b.pak" : "data/Blocked/c.pak";
    EXPECT_TRUE(fs::exists(tree / ("Patches/Full/rip/" + failed)));
    EXPECT_FALSE(fs::exists(tree / "data/d.pak"));  // never tried
    EXPECT_TRUE(fs::exists(tree / "Patches/Full/rip/data/d.pak"));
    EXPECT_TRUE(fs::exists(tree / "bin/demo.old"));
}

// The repair torrent is not signed: a server can hand other bytes of the right size.
TEST_F(FullVersionTest, AStagedFileThatIsNotTheListedOneStaysOutAndTheInstallFails) {
    const std::string genuine = PatternBytes(70000, 1);
    std::string forgedMiddle = genuine;
    forgedMiddle[35000] ^= 0x55;  // head and tail as listed
    for (const std::string& forged : {PatternBytes(70000, 2), forgedMiddle}) {
        SCOPED_TRACE(forged == forgedMiddle ? "another middle" : "other bytes");
        // Flags 0: the record does not ask the full check for the whole digest; the install does.
        WriteVersion({{"/data/", {ListedFile("a.pak", "aaa", 0), ListedFile("big.pak", genuine, 0),
                                  ListedFile("z.pak", "zzz", 0)}}});
        ASSERT_TRUE(WriteWholeFile(tree / "data/big.pak", "the demo's own"));
        download.torrentPath = tree / "Patches/Full/rip.torrent";
        window.events.clear();
        NewState(Factories());
        ASSERT_TRUE(Command(PageCommand::RipDownload));
        Staged("rip", "data/a.pak", "aaa");
        Staged("rip", "data/big.pak", forged);
        Staged("rip", "data/z.pak", "zzz");

        EXPECT_TRUE(Command(PageCommand::FullDownloaded));
        EXPECT_EQ(window.events, std::vector<EventRecord>{{u"Game.FullInstallationFailed"}});
        EXPECT_EQ(ReadAll(tree / "data/a.pak"), "aaa");
        EXPECT_EQ(ReadAll(tree / "data/big.pak"), "the demo's own");
        EXPECT_TRUE(ReadAll(tree / "Patches/Full/rip/data/big.pak") == forged);
        EXPECT_FALSE(fs::exists(tree / "data/z.pak"));
        EXPECT_TRUE(fs::exists(tree / "bin/demo.old"));
        // The log names the refused file last.
        const std::string log = ReadAll(tree / "Personal/Logs/move-bo-full.txt");
        const std::string last = tree / "Patches/Full/rip/data/big.pak\n" + tree.Root() + "/data/big.pak\n\n";
        EXPECT_TRUE(log.ends_with(last)) << log;
    }
}

// The launcher may run as root in a game folder the player writes.
TEST_F(FullVersionTest, TheMoveLogIsNeverWrittenThroughALinkOrASecondName) {
    WriteVersion({{"/data/", {ListedFile("a.pak", "aaa", 1)}}});
    TempDir outside;
    const std::string log = tree / "Personal/Logs/move-bo-full.txt";
    const struct {
        const char* name;
        std::function<void()> plant;
    } cases[] = {
        {"a link to a file", [&] { fs::create_symlink(outside / "victim.txt", log); }},
        {"a link to nothing yet", [&] { fs::create_symlink(outside / "created.txt", log); }},
        {"a second name of a file", [&] { fs::create_hard_link(outside / "victim.txt", log); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        outside.WriteFile("victim.txt", "precious");
        fs::create_directories(tree / "Personal/Logs");
        fs::remove(log);
        c.plant();
        Staged("rip", "data/a.pak", "aaa");
        const RefPtr<Rip> list = FullVersion::BuildList(*params);
        ASSERT_TRUE(list);
        // The moves go on without the log.
        EXPECT_TRUE(FullVersion::Move(list.Get(), W(tree / "Patches/Full/rip"), params->gameRoot, log));
        EXPECT_EQ(ReadAll(tree / "data/a.pak"), "aaa");
        EXPECT_EQ(outside.ReadFile("victim.txt"), "precious");
        EXPECT_FALSE(outside.Exists("created.txt"));
    }
}

// The launcher may run as root in a game folder the player writes: a link planted in
// the place of one of the target's folders must not carry the file to where it points.
TEST_F(FullVersionTest, ALinkInThePlaceOfAGameFolderFailsTheMoveAndWhatItNamesIsLeftAlone) {
    WriteVersion({{"/data/", {ListedFile("a.pak", "aaa", 1)}}, {"/data/maps/north/", {ListedFile("b.map", "bbb", 1)}}});
    const struct {
        const char* name;
        const char* link;  // the game folder a link takes the place of
        const char* placedFirst;  // what is in place before the move fails, or null
    } cases[] = {
        {"a link as the first folder", "data", nullptr},
        {"a link deeper down", "data/maps", "data/a.pak"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir outside;
        outside.WriteFile("canary/keep.txt", "canary");
        fs::remove_all(tree / "data");
        fs::create_directories(tree / c.link);
        fs::remove(tree / c.link);
        fs::create_directory_symlink(outside / "canary", tree / c.link);
        Staged("rip", "data/a.pak", "aaa");
        Staged("rip", "data/maps/north/b.map", "bbb");
        const RefPtr<Rip> list = FullVersion::BuildList(*params);
        ASSERT_TRUE(list);

        EXPECT_FALSE(FullVersion::Move(list.Get(), W(tree / "Patches/Full/rip"), params->gameRoot,
                                       tree / "Personal/Logs/move-bo-full.txt"));
        const std::vector<std::string> canary = {"keep.txt"};
        std::vector<std::string> found;
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(outside / "canary"))
            found.push_back(fs::relative(entry.path(), outside / "canary").string());
        EXPECT_EQ(found, canary);
        EXPECT_EQ(outside.ReadFile("canary/keep.txt"), "canary");
        EXPECT_TRUE(fs::is_symlink(tree / c.link));
        if (c.placedFirst) EXPECT_EQ(ReadAll(tree / c.placedFirst), "aaa");
    }
}

TEST_F(FullVersionTest, StepsThatCannotRunAnswerFalseAndTheInstallFailsWithoutMoving) {
    WriteVersion({{"/data/", {ListedFile("base.pak", "base", 3)}}});
    NewState(Factories());
    // 4002 before 600: no list, no staging folder, no log.
    EXPECT_TRUE(Command(PageCommand::FullDownloaded));
    EXPECT_EQ(window.events, std::vector<EventRecord>{{u"Game.FullInstallationFailed"}});
    EXPECT_FALSE(fs::exists(tree / "Personal/Logs/move-bo-full.txt"));

    // Every content is in the minimal set: nothing to download.
    EXPECT_TRUE(Command(PageCommand::FullDownload));
    EXPECT_FALSE(Command(PageCommand::RipDownload));
    EXPECT_EQ(download.calls, 0);
    EXPECT_EQ(state->GetStep(), nullptr);

    // This launcher's own steps without an update server's answer: the download has
    // no repair set and cannot start.
    NewState(FullVersionFactories::Installed());
    EXPECT_FALSE(Command(PageCommand::RipDownload));
    EXPECT_EQ(state->GetStep(), nullptr);
}

// The real repair download from the loopback swarm's web seed, into the patches
// folder's "Full/", and the install. The repair torrent's file is named apart from its
// top folder, as a server may name it: the files are taken from where they landed.
TEST_F(FullVersionTest, TheRepairDownloadFetchesWhatTheDemoLacksAndTheInstallMovesIt) {
    const std::string big = PatternBytes(40 * 16384 + 100, 1), extra = PatternBytes(3 * 16384 + 7, 2);
    WriteVersion({{"/data/", {ListedFile("base.pak", "base", 3), ListedFile("big.pak", big, 1)}},
                  {"/maps/extra/", {ListedFile("north.map", extra, 1)}}});
    ASSERT_TRUE(WriteWholeFile(tree / "data/base.pak", "base"));
    LoopbackSwarm swarm;
    const std::string torrent =
        swarm.Publish("Brennic", {{"data/base.pak", "base"}, {"data/big.pak", big}, {"maps/extra/north.map", extra}});
    ASSERT_FALSE(torrent.empty());
    TempDir launcher;
    RefPtr<RipPatchInfo> info(new RipPatchInfo());
    info->ripTorrentName = WideString(u"rip/Brennic-Full-1.0.2.torrent");
    info->ripTorrentBytes = Bytes(torrent);
    info->launcherTorrentName = WideString(u"Launcher.torrent");
    info->launcherTorrentBytes = Bytes(MakeTorrent(launcher.Path(), "Launcher", {{"bin/Launcher.exe", "elf"}}));

    ManualTimerHost timers;
    RecordingWindow loopWindow(&timers);
    FullVersionFactories factories;
    factories.request = [&](IMainWindow*) {
        RefPtr<IRipRequestFunctor> answered(new AnsweredRequest(info.Get()));
        FeatureStart start;
        start.state = new RipRequestState(answered.Get());
        return start;
    };
    // The installed download, on a session that keeps to loopback.
    factories.download = [&](IMainWindow* w, IState* request, Rip* list, const WideString& subfolder) {
        DownloadEngineOptions options;
        options.folder = params->patchesDir + subfolder;
        options.session = LoopbackSessionConfig();
        options.session.seedUrls.PushBack(String(swarm.WebSeedUrl().c_str()));
        fs::create_directories(N(options.folder));
        RefPtr<RipDownloadView> view(new RipDownloadView(w));
        RefPtr<RipPatchInfo> answer = static_cast<RipRequestState*>(request)->Functor()->GetResult();
        RefPtr<RipDownloadFunctor> functor =
            RipDownloadFunctor::Create(view.Get(), options, params.Get(), list, answer.Get());
        FullVersionDownloadStart start;
        if (!functor) return start;
        start.state = new RipDownloadState(functor.Get());
        start.start = [functor](WideString& torrentPath) { return functor->Run(&torrentPath); };
        return start;
    };
    factories.downloadedFolder = FullVersionFactories::Installed().downloadedFolder;
    state = new GameState(game.Get(), &loopWindow, {}, std::move(factories));

    ASSERT_TRUE(Command(PageCommand::FullDownload));
    ASSERT_TRUE(Command(PageCommand::RipDownload));
    const auto completed = [&] {
        for (const EventRecord& event : loopWindow.events)
            if (event[0] == u"Repair.OnDownloadComplete") return true;
        return false;
    };
    ASSERT_TRUE(TickUntil(timers, completed)) << loopWindow.Names().size();
    // Only what the demo lacks arrived.
    EXPECT_FALSE(fs::exists(tree / "Patches/Full/Brennic/data/base.pak"));
    ASSERT_TRUE(Command(PageCommand::FullDownloaded));
    EXPECT_EQ(loopWindow.events.back(), EventRecord{u"Game.ExitGame"});
    EXPECT_EQ(ReadAll(tree / "data/big.pak"), big);
    EXPECT_EQ(ReadAll(tree / "maps/extra/north.map"), extra);
    EXPECT_EQ(ReadAll(tree / "data/base.pak"), "base");
    EXPECT_FALSE(fs::exists(tree / "Patches/Full"));
    EXPECT_FALSE(fs::exists(tree / "bin/demo.old"));
}

TEST_F(FullVersionTest, AMoveRefusesPathsOutOfTheGameAndWhatIsNoPlainFile) {
    fs::create_directories(tree / "Patches/Full/rip/data");
    ASSERT_TRUE(WriteWholeFile(tree / "Patches/Full/rip/data/real.pak", "real"));
    fs::create_symlink(tree / "Profiles/game.version", tree / "Patches/Full/rip/data/link.pak");
    const std::string log = tree / "Personal/Logs/move-bo-full.txt";
    for (const char* path : {"../outside.pak", "data/../../outside.pak", "/etc/hostname", "data/link.pak"}) {
        RefPtr<Rip> list(new Rip());
        list->Append(W(path), 1, 3);
        EXPECT_FALSE(FullVersion::Move(list.Get(), W(tree / "Patches/Full/rip"), params->gameRoot, log)) << path;
    }
    EXPECT_FALSE(fs::exists(tree / "data/link.pak"));
    EXPECT_TRUE(fs::is_symlink(tree / "Patches/Full/rip/data/link.pak"));
}

}  // namespace
