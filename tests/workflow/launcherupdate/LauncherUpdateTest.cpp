// The self-update on temporary trees: an installation (bin, Profiles, Personal,
// data/mods) and a download folder holding the new launcher, as the launcher download
// leaves it. Real files, a real running executable for the locked case, real links.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "base/runtime/StrUtil.h"
#include "shell/AppParams.h"
#include "shell/ProgramStarts.h"
#include "workflow/MainState.h"
#include "workflow/PageCommands.h"
#include "workflow/RecordingWindow.h"
#include "platform/posix/FileMove.h"
#include "platform/process/ProcessHandle.h"
#include "platform/process/ProcessSpawn.h"
#include "support/LinkBait.h"
#include "support/RequiredEnvironment.h"
#include "support/TempDir.h"
#include "support/versions/SignedVersions.h"
#include "workflow/launcherupdate/LauncherTree.h"
#include "workflow/launcherupdate/LauncherUpdateFunctor.h"
#include "workflow/launcherupdate/UpdateFolders.h"

namespace {

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? info.st_mode : 0;
}

bool IsLink(const std::string& path) { return S_ISLNK(ModeOf(path)); }

class LauncherUpdateTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!BuiltInKeyIsSample()) SKIP_UNLESS_REQUIRED("the program checks version files against another key");
        // The installation of the old launcher.
        dir.WriteFile("game/bin/Launcher.exe", "old launcher");
        dir.WriteFile("game/bin/old.dll", "old library");
        dir.WriteFile("game/Profiles/game.version", installedVersion);
        dir.WriteFile("game/Profiles/Launcher.cfg", "hostIP = \"127.0.0.1\"\n");
        dir.WriteFile("game/Personal/Global.cfg", "localization = \"en\"\n");
        dir.WriteFile("game/Personal/Logs/Launcher.log", "log");
        dir.WriteFile("game/data/mods/mod.txt", "a mod");
        dir.WriteFile("game/data/Packs/pack.bin", "a pack");
        // The download folder: the torrent, and its one top folder with the new launcher.
        dir.WriteFile("LAUdl0001/Launcher.torrent", "d4:infoe");
        dir.WriteFile("LAUdl0001/L/Launcher.exe", "new launcher");
        ASSERT_EQ(::chmod((dir / "LAUdl0001/L/Launcher.exe").c_str(), 0755), 0);
        dir.WriteFile("LAUdl0001/L/lib.so", "new library");
        dir.WriteFile("LAUdl0001/L/game.version", newVersion);
        dir.WriteFile("LAUdl0001/L/docs/readme.txt", "a sub-folder of the download");
    }

    LauncherUpdateFunctor::InstallResult Install(bool reinstall, std::vector<std::string>& locked) {
        RefPtr<LauncherUpdateView> view(new LauncherUpdateView(&window));
        LauncherUpdateRequest request{dir / "game", dir / "LAUdl0001/L", !reinstall, reinstall, false};
        return LauncherUpdateFunctor::Create(view.Get(), request)->Install(reinstall, locked);
    }

    std::vector<std::u16string> Run(const LauncherUpdateRequest& request) {
        RefPtr<LauncherUpdateView> view(new LauncherUpdateView(&window));
        RefPtr<LauncherUpdateFunctor> functor = LauncherUpdateFunctor::Create(view.Get(), request);
        EXPECT_TRUE(functor->Run());
        return window.Names();
    }

    TempDir dir;
    RecordingWindow window;
    // The game stands at the version the server announces; the download's version file
    // names the same version and lists the new launcher.
    const std::string installedVersion = SignedVersionFile({"1.0.1", {}});
    const std::string newVersion =
        SignedVersionFile({"1.0.1", {{"/bin/", {ListedFile("Launcher.exe", "new launcher")}}}});
};

TEST_F(LauncherUpdateTest, UpdateInstallsTheFilesAndMovesTheVersionFileToProfiles) {
    // A read-only target is made writable and replaced.
    ASSERT_EQ(::chmod((dir / "game/bin/Launcher.exe").c_str(), 0444), 0);
    const auto events = Run({dir / "game", dir / "LAUdl0001/L", true, false, false});
    EXPECT_EQ(events, (std::vector<std::u16string>{u"LauncherUpdate.OnNeedUpdate", u"LauncherUpdate.OnUpdated"}));
    EXPECT_EQ(dir.ReadFile("game/bin/Launcher.exe"), "new launcher");
    EXPECT_EQ(ModeOf(dir / "game/bin/Launcher.exe") & 0777, 0755u) << "the installed launcher stays executable";
    EXPECT_EQ(dir.ReadFile("game/bin/lib.so"), "new library");
    EXPECT_EQ(dir.ReadFile("game/bin/old.dll"), "old library");
    EXPECT_EQ(dir.ReadFile("game/Profiles/game.version"), newVersion);
    EXPECT_FALSE(dir.Exists("game/bin/game.version"));
    EXPECT_FALSE(dir.Exists("game/bin/docs"));
    EXPECT_FALSE(dir.Exists("LAUdl0001/L/game.version")) << "moved, not copied";
    // No temporary file is left beside the targets.
    std::vector<FolderEntry> entries;
    ASSERT_TRUE(ListFolder(dir / "game/bin", entries));
    EXPECT_EQ(entries.size(), 3u);
}

TEST_F(LauncherUpdateTest, ReinstallKeepsThePlayersDataAndModsAndDeletesLinksNotTheirTargets) {
    dir.WriteFile("outside/keep.txt", "outside the installation");
    ASSERT_EQ(::symlink((dir / "outside").c_str(), (dir / "game/data/linked").c_str()), 0);
    ASSERT_EQ(::symlink((dir / "outside/keep.txt").c_str(), (dir / "game/bin/linked.txt").c_str()), 0);
    std::vector<std::string> locked;
    EXPECT_EQ(Install(true, locked), LauncherUpdateFunctor::Updated);
    EXPECT_TRUE(locked.empty());
    EXPECT_EQ(dir.ReadFile("game/Personal/Global.cfg"), "localization = \"en\"\n");
    EXPECT_EQ(dir.ReadFile("game/Personal/Logs/Launcher.log"), "log");
    EXPECT_EQ(dir.ReadFile("game/data/mods/mod.txt"), "a mod");
    EXPECT_FALSE(dir.Exists("game/data/Packs"));
    EXPECT_FALSE(dir.Exists("game/Profiles/Launcher.cfg"));
    EXPECT_FALSE(dir.Exists("game/bin/old.dll"));
    EXPECT_FALSE(IsLink(dir / "game/data/linked"));
    EXPECT_FALSE(IsLink(dir / "game/bin/linked.txt"));
    EXPECT_EQ(dir.ReadFile("outside/keep.txt"), "outside the installation");
    EXPECT_EQ(dir.ReadFile("game/bin/Launcher.exe"), "new launcher");
    EXPECT_EQ(dir.ReadFile("game/Profiles/game.version"), newVersion);
}

TEST_F(LauncherUpdateTest, WithoutANewVersionFileNothingIsTouched) {
    ASSERT_EQ(::unlink((dir / "LAUdl0001/L/game.version").c_str()), 0);
    for (bool reinstall : {false, true}) {
        std::vector<std::string> locked;
        EXPECT_EQ(Install(reinstall, locked), LauncherUpdateFunctor::NotUpdated) << reinstall;
        EXPECT_EQ(dir.ReadFile("game/Profiles/game.version"), installedVersion);
        EXPECT_EQ(dir.ReadFile("game/bin/Launcher.exe"), "old launcher");
        EXPECT_TRUE(dir.Exists("game/data/Packs/pack.bin"));
    }
}

// The download's version file replaces the installed one: only a signed file of the
// version expected may. An update keeps the version the server announced, which is the
// installed one (a launcher update is asked for only then); a reinstall never goes back.
TEST_F(LauncherUpdateTest, AVersionFileNotSignedOrOfAnotherVersionIsNotInstalled) {
    std::string forged = newVersion;
    forged[forged.size() / 2] ^= 0x20;
    const struct {
        const char* what;
        std::string versionFile;
        bool reinstall;
        bool installed;
    } cases[] = {
        {"unsigned text", "version 1.0.1", false, false},
        {"signature broken", forged, false, false},
        {"signed, an older version", SignedVersionFile({"1.0.0", {}}), false, false},
        {"signed, a newer version than announced", SignedVersionFile({"1.0.2", {}}), false, false},
        {"reinstall: unsigned text", "version 1.0.2", true, false},
        {"reinstall: signature broken", forged, true, false},
        {"reinstall: signed, an older version", SignedVersionFile({"1.0.0", {}}), true, false},
        {"reinstall: signed, a newer version", SignedVersionFile({"1.0.2", {}}), true, true},  // last: it installs
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        dir.WriteFile("LAUdl0001/L/game.version", c.versionFile);
        window.events.clear();
        const auto events = Run({dir / "game", dir / "LAUdl0001/L", !c.reinstall, c.reinstall, false});
        const std::u16string result = c.installed ? u"LauncherUpdate.OnUpdated" : u"LauncherUpdate.OnNotUpdated";
        EXPECT_EQ(events, (std::vector<std::u16string>{u"LauncherUpdate.OnNeedUpdate", result}));
        EXPECT_EQ(dir.ReadFile("game/Profiles/game.version"), c.installed ? c.versionFile : installedVersion);
        EXPECT_EQ(dir.ReadFile("game/bin/Launcher.exe"), c.installed ? "new launcher" : "old launcher");
        EXPECT_EQ(dir.Exists("game/data/Packs/pack.bin"), !c.installed) << "a refused reinstall deletes nothing";
    }
}

TEST_F(LauncherUpdateTest, ARunningExecutableIsReportedLockedAndNothingIsCopiedOrDeleted) {
    // A copy of a real program runs from the target bin: writing to it gives ETXTBSY.
    const std::string sleepPath = FindExecutableInPath("sleep");
    ASSERT_FALSE(sleepPath.empty());
    ASSERT_EQ(CopyFileReplacing(sleepPath, dir / "game/bin/Launcher.exe"), 0);
    ProcessHandle running = SpawnChild(SpawnRequest{dir / "game/bin/Launcher.exe", {"Launcher.exe", "120"}, ""});
    ASSERT_TRUE(running.IsValid());
    for (bool reinstall : {false, true}) {
        std::vector<std::string> locked;
        EXPECT_EQ(Install(reinstall, locked), LauncherUpdateFunctor::LockedFiles) << reinstall;
        const std::string canonicalGame = [&] {
            char buffer[4096];
            return std::string(::realpath((dir / "game").c_str(), buffer));
        }();
        EXPECT_EQ(locked, std::vector<std::string>{canonicalGame + "/bin/Launcher.exe"});
        EXPECT_FALSE(dir.Exists("game/bin/lib.so"));
        EXPECT_EQ(dir.ReadFile("game/Profiles/game.version"), installedVersion);
        EXPECT_TRUE(dir.Exists("game/data/Packs/pack.bin"));
    }
    // The page gets the full path as the event's argument.
    const auto events = Run({dir / "game", dir / "LAUdl0001/L", true, false, false});
    ASSERT_EQ(events.back(), u"LauncherUpdate.OnLockedFiles");
    ASSERT_EQ(window.events.back().size(), 2u);
    EXPECT_NE(window.events.back()[1].find(u"/bin/Launcher.exe"), std::u16string::npos);
    running.Kill();
    running.WaitForExit(10000);
}

TEST_F(LauncherUpdateTest, DropTempDeletesTheDownloadFolderButNotWhatItsLinksPointTo) {
    dir.WriteFile("outside/keep.txt", "outside");
    ASSERT_EQ(::symlink((dir / "outside").c_str(), (dir / "LAUdl0001/L/linked").c_str()), 0);
    const auto events = Run({dir / "LAUdl0001", dir / "game/bin", false, false, true});
    EXPECT_EQ(events,
              (std::vector<std::u16string>{u"LauncherUpdate.OnDeleteTempDir", u"LauncherUpdate.OnNoNeedUpdate"}));
    EXPECT_FALSE(dir.Exists("LAUdl0001"));
    EXPECT_EQ(dir.ReadFile("outside/keep.txt"), "outside");
    EXPECT_EQ(dir.ReadFile("game/bin/Launcher.exe"), "old launcher");
}

TEST_F(LauncherUpdateTest, WithoutSwitchesNothingIsToBeDone) {
    EXPECT_EQ(Run({"", dir / "game/bin", false, false, false}),
              std::vector<std::u16string>{u"LauncherUpdate.OnNoNeedUpdate"});
}

// Every path that must never be emptied: by "/droptemp" (run from the installed
// launcher in game/bin) or by "/reinstall" (run from the download folder). Paths
// outside the temporary tree are only shown to the checks, so a fault there can
// never reach real files; the rest run the whole update on a fresh tree, and
// nothing of it may go.
TEST(LauncherUpdateDangerousPaths, AreNeverDeleted) {
    struct Case {
        const char* what;
        std::string folder;  // relative to the tree unless absolute, empty or ".."
        bool dropTemp;
        bool checksOnly;
    };
    const std::vector<Case> cases = {
        {"empty", "", true, true},
        {"empty", "", false, true},
        {"root", "/", true, true},
        {"root", "/", false, true},
        {"root spelled long", "//tmp/..//", true, true},
        {"a link to the root", "toroot", true, true},
        {"a link to the root", "toroot", false, true},
        {"home", "home", true, false},
        {"home", "home", false, false},
        {"an ancestor of home", ".", true, false},
        {"the game root", "game", true, false},
        {"inside the game root", "game/data", true, false},
        {"an ancestor of the running launcher", "game/..", true, false},
        {"relative ancestor", "..", true, false},
        {"the launcher's own folder", "dl/L", false, false},
        {"an ancestor of the launcher's own folder", "dl", false, false},
        {"not shaped like a game root", "loose", false, false},
        {"a folder without the launcher's torrent", "plain", true, false},
        {"a folder shaped like a game root", "othergame", true, false},
    };
    // Version files that pass their own check, so that only the path is refused.
    const std::string installedVersion = SignedVersionFile({"1.0.1", {}});
    for (const Case& entry : cases) {
        TempDir dir;
        dir.WriteFile("game/bin/Launcher.exe", "installed");
        dir.WriteFile("game/Profiles/game.version", installedVersion);
        dir.WriteFile("game/data/Packs/pack.bin", "pack");
        dir.WriteFile("home/keep.txt", "home");
        dir.WriteFile("loose/keep.txt", "loose");
        dir.WriteFile("othergame/bin/keep.txt", "other");
        dir.WriteFile("othergame/Profiles/keep.txt", "other");
        dir.WriteFile("dl/L/Launcher.exe", "new");
        dir.WriteFile("dl/L/game.version", installedVersion);
        dir.WriteFile("plain/keep.txt", "plain");
        // Every other folder holds a launcher torrent, so only the check named fails.
        for (const char* folder : {"", "game/", "game/data/", "game/bin/", "home/", "loose/", "othergame/", "dl/"})
            dir.WriteFile(std::string(folder) + "Launcher.torrent", "d4:infoe");
        ASSERT_EQ(::symlink("/", (dir / "toroot").c_str()), 0);
        const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
        ::setenv("HOME", (dir / "home").c_str(), 1);
        char cwd[4096];
        ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
        // Relative paths resolve from the running launcher's folder, as in the program.
        const std::string own = dir / (entry.dropTemp ? "game/bin" : "dl/L");
        ASSERT_EQ(::chdir(own.c_str()), 0);
        const bool asGiven = entry.folder.empty() || entry.folder[0] == '/' || entry.folder == "..";
        const std::string folder = asGiven ? entry.folder : dir / entry.folder;

        if (entry.checksOnly) {
            const std::string checked =
                entry.dropTemp ? CheckedDownloadFolder(folder, own) : CheckedInstallation(folder, own);
            EXPECT_EQ(checked, "") << entry.what;
        } else {
            RecordingWindow window;
            RefPtr<LauncherUpdateView> view(new LauncherUpdateView(&window));
            LauncherUpdateRequest request{folder, own, false, !entry.dropTemp, entry.dropTemp};
            LauncherUpdateFunctor::Create(view.Get(), request)->Run();
            const std::u16string expected =
                entry.dropTemp ? u"LauncherUpdate.OnNoNeedUpdate" : u"LauncherUpdate.OnNotUpdated";
            EXPECT_EQ(window.Names().back(), expected) << entry.what;
        }
        ASSERT_EQ(::chdir(cwd), 0);
        ::setenv("HOME", savedHome.c_str(), 1);
        for (const char* kept : {"game/bin/Launcher.exe", "game/data/Packs/pack.bin", "home/keep.txt",
                                 "loose/keep.txt", "othergame/bin/keep.txt", "dl/L/Launcher.exe", "plain/keep.txt"})
            EXPECT_TRUE(dir.Exists(kept)) << entry.what << ": " << kept;
        EXPECT_EQ(dir.ReadFile("game/Profiles/game.version"), installedVersion) << entry.what;
    }
}

// A temporary folder of the test's own stands in for the machine's: TMPDIR points at it
// while the object lives. Other users' files lie in it, and one of them has planted a
// launcher torrent there.
class FakeTemporaryFolder {
public:
    explicit FakeTemporaryFolder(const TempDir& dir) : path_(dir / "LAUtmp001") {
        dir.WriteFile("LAUtmp001/ssh-XYZ/agent.1", "another user's agent");
        dir.WriteFile("LAUtmp001/other-download/part", "another download");
        dir.WriteFile("LAUtmp001/Launcher.torrent", "d4:infoe");
        ::lchown((path_ + "/Launcher.torrent").c_str(), kOtherUser, kOtherUser);
        const char* saved = std::getenv("TMPDIR");
        saved_ = saved ? std::optional<std::string>(saved) : std::nullopt;
        ::setenv("TMPDIR", path_.c_str(), 1);
    }
    ~FakeTemporaryFolder() {
        if (saved_) ::setenv("TMPDIR", saved_->c_str(), 1);
        else ::unsetenv("TMPDIR");
    }
    const std::string& Path() const { return path_; }
    bool Untouched(const TempDir& dir) const {
        return dir.ReadFile("LAUtmp001/ssh-XYZ/agent.1") == "another user's agent" &&
               dir.ReadFile("LAUtmp001/other-download/part") == "another download" &&
               dir.Exists("LAUtmp001/Launcher.torrent");
    }
    static constexpr uid_t kOtherUser = 65534;

private:
    std::string path_;
    std::optional<std::string> saved_;
};

// Runs "/droptemp folder" as the installed launcher in game/bin does.
void DropTemp(const TempDir& dir, const std::string& folder) {
    char cwd[4096];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(::chdir((dir / "game/bin").c_str()), 0);
    RecordingWindow window;
    RefPtr<LauncherUpdateView> view(new LauncherUpdateView(&window));
    LauncherUpdateFunctor::Create(view.Get(), {folder, dir / "game/bin", false, false, true})->Run();
    ASSERT_EQ(::chdir(cwd), 0);
    EXPECT_EQ(window.Names().back(), u"LauncherUpdate.OnNoNeedUpdate");
}

// A launcher torrent with one file leaves Launcher.exe directly in the download folder:
// the restart names that folder, never the temporary folder around it.
TEST(LauncherDropTemp, TheRestartNamesTheDownloadFolderItselfForBothTorrentLayouts) {
    const struct {
        const char* what;
        const char* launcher;  // below the download folder
    } layouts[] = {{"one file", "Launcher.exe"}, {"one top folder", "Brennic/Launcher.exe"}};
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.what);
        TempDir dir;
        dir.WriteFile("game/bin/Launcher.exe", "installed");
        dir.WriteFile("game/Profiles/game.version", "version");
        FakeTemporaryFolder temp(dir);
        const std::string download = temp.Path() + "/LAUsgl001";
        WriteWholeFile(download + "/Launcher.torrent", "d4:infoe");
        WriteWholeFile(download + "/" + layout.launcher, "new");
        RefPtr<AppParams> params(new AppParams);
        params->cmdPath = StrUtil::ToWide(String((dir / "game").c_str()));
        const auto restart = BuildRestartStart(*params, download + "/" + layout.launcher, false, WideString());
        ASSERT_TRUE(restart);
        ASSERT_EQ(restart->argv.size(), 3u);
        EXPECT_EQ(restart->argv[1], "-droptemp");
        EXPECT_EQ(restart->argv[2], download);
        DropTemp(dir, restart->argv[2]);
        EXPECT_FALSE(FileExistsAt(download + "/" + layout.launcher));
        EXPECT_TRUE(temp.Untouched(dir));
        EXPECT_EQ(dir.ReadFile("game/bin/Launcher.exe"), "installed");
    }
}

// "/droptemp" takes any path from the command line: it deletes only a folder that is
// the launcher's own download, made by this user. Every folder here is shaped like a
// download but for the one thing the case names.
TEST(LauncherDropTemp, DeletesOnlyAnOwnDownloadNeverTheTemporaryFolderOrTheGame) {
    const bool root = ::geteuid() == 0;
    const struct {
        const char* what;
        const char* folder;  // relative to the test's folder
        bool deleted;
    } cases[] = {
        {"the launcher's own download", "LAUtmp001/LAUgood01", true},
        {"the temporary folder itself, with a planted torrent", "LAUtmp001", false},
        {"a folder named otherwise", "LAUtmp001/dl-000001", false},
        {"a name longer than the download's", "LAUtmp001/LAUgood01x", false},
        {"a folder without the torrent", "LAUtmp001/LAUnotor1", false},
        {"a folder of another user", "LAUtmp001/LAUother1", false},
        {"a torrent of another user", "LAUtmp001/LAUothtr1", false},
        {"a link to an own download", "LAUtmp001/LAUlink01", false},
        {"the game root", "LAUanc001/LAUgame01", false},
        {"an ancestor of the game root", "LAUanc001", false},
        {"inside the game root", "LAUanc001/LAUgame01/LAUinner1", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (!root && std::string(c.what).find("another user") != std::string::npos) {
            std::cout << "skipped without root: " << c.what << std::endl;
            continue;
        }
        TempDir dir;
        for (const char* folder : {"LAUtmp001/LAUgood01/", "LAUtmp001/dl-000001/", "LAUtmp001/LAUgood01x/",
                                   "LAUtmp001/LAUother1/", "LAUtmp001/LAUothtr1/", "LAUtmp001/LAUreal01/",
                                   "LAUanc001/", "LAUanc001/LAUgame01/", "LAUanc001/LAUgame01/LAUinner1/"}) {
            dir.WriteFile(std::string(folder) + "Launcher.torrent", "d4:infoe");
            dir.WriteFile(std::string(folder) + "keep.txt", "kept");
        }
        dir.WriteFile("LAUtmp001/LAUnotor1/keep.txt", "kept");
        dir.WriteFile("LAUanc001/LAUgame01/bin/Launcher.exe", "installed");
        dir.WriteFile("LAUanc001/LAUgame01/Profiles/game.version", "version");
        ASSERT_EQ(::symlink((dir / "LAUtmp001/LAUreal01").c_str(), (dir / "LAUtmp001/LAUlink01").c_str()), 0);
        if (root) {
            for (const char* other : {"LAUtmp001/LAUother1", "LAUtmp001/LAUother1/Launcher.torrent",
                                      "LAUtmp001/LAUothtr1/Launcher.torrent"})
                ASSERT_EQ(::lchown((dir / other).c_str(), FakeTemporaryFolder::kOtherUser, 0), 0) << other;
        }
        FakeTemporaryFolder temp(dir);

        char cwd[4096];
        ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
        ASSERT_EQ(::chdir((dir / "LAUanc001/LAUgame01/bin").c_str()), 0);
        RecordingWindow window;
        RefPtr<LauncherUpdateView> view(new LauncherUpdateView(&window));
        LauncherUpdateFunctor::Create(view.Get(), {dir / c.folder, dir / "LAUanc001/LAUgame01/bin", false, false, true})
            ->Run();
        ASSERT_EQ(::chdir(cwd), 0);
        EXPECT_EQ(window.Names().back(), u"LauncherUpdate.OnNoNeedUpdate");

        EXPECT_EQ(!dir.Exists(std::string(c.folder) + "/keep.txt") && !dir.Exists(c.folder), c.deleted);
        EXPECT_TRUE(temp.Untouched(dir));
        for (const char* kept : {"LAUtmp001/dl-000001/keep.txt", "LAUtmp001/LAUgood01x/keep.txt",
                                 "LAUtmp001/LAUnotor1/keep.txt", "LAUtmp001/LAUother1/keep.txt",
                                 "LAUtmp001/LAUothtr1/keep.txt", "LAUtmp001/LAUreal01/keep.txt",
                                 "LAUanc001/keep.txt", "LAUanc001/LAUgame01/bin/Launcher.exe",
                                 "LAUanc001/LAUgame01/LAUinner1/keep.txt"})
            EXPECT_TRUE(dir.Exists(kept)) << kept;
    }
}

TEST(LauncherUpdateCommand, TwentyFiveRunsTheSelfUpdateAtTheMainFlowKey) {
    RecordingWindow window;
    RefPtr<MainState> root(MainState::Create(&window));
    EXPECT_TRUE(root->OnCommand(PageCommand::LauncherUpdate, WideString()));
    EXPECT_EQ(window.Names(), std::vector<std::u16string>{u"LauncherUpdate.OnNoNeedUpdate"});
    EXPECT_NE(root->GetChild(MainState::kMainFlowKey), nullptr);
}

TEST(LauncherTree, ProtectedFolders) {
    const std::vector<std::pair<const char*, bool>> cases = {
        {"/g/Personal", true},      {"/g/PERSONAL/", true},  {"/g/my_personal_stuff", true},
        {"/g/data/mods", true},     {"/g/Data/MODS", true},  {"/g/gamedata/oldmods", true},
        {"/g/mods", false},         {"/g/data/Packs", false}, {"/g/bin", false},
        {"mods", false},            {"", false},
    };
    for (const auto& [path, kept] : cases) EXPECT_EQ(IsProtectedFolder(path), kept) << path;
}

TEST_F(LauncherUpdateTest, LinksInPlaceOfInstalledFilesAreReplacedNotFollowed) {
    const LinkBait library(dir / "etc/ld.so.preload", dir / "game/bin/lib.so");
    // The installed version file is read through the link, which is fine; it is never written through.
    const LinkBait version(dir / "etc/passwd", dir / "game/Profiles/game.version", installedVersion);
    std::vector<std::string> locked;
    EXPECT_EQ(Install(false, locked), LauncherUpdateFunctor::Updated);
    EXPECT_TRUE(library.Untouched());
    EXPECT_TRUE(library.ReplacedByAFile());
    EXPECT_TRUE(version.Untouched());
    EXPECT_TRUE(version.ReplacedByAFile());
    EXPECT_EQ(dir.ReadFile("game/bin/lib.so"), "new library");
    EXPECT_EQ(dir.ReadFile("game/Profiles/game.version"), newVersion);
}

// Only an absolute, canonical path is deleted, and only what lies below it; each
// folder here is inside the test's own temporary folder, so a fault cannot reach
// beyond it. (The dangerous spellings of system paths are shown to the path check
// alone, in the platform's tests.)
TEST(LauncherTree, DeleteTreeRefusesPathsThatAreNotCanonical) {
    TempDir dir;
    const std::string tree = dir / "T";
    char cwd[4096];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    const std::vector<std::string> refused = {
        tree + "/z/..", tree + "/./z", tree + "//z", tree + "/z/", tree + "/z/.", "T/z", "./T/z", "T",
    };
    for (const std::string& path : refused) {
        dir.WriteFile("T/z/file", "z");
        dir.WriteFile("T/keep", "t");
        ASSERT_EQ(::chdir(dir.Path().c_str()), 0);  // a relative path could only ever name the tree
        EXPECT_FALSE(DeleteTree(path)) << path;
        ASSERT_EQ(::chdir(cwd), 0);
        EXPECT_EQ(dir.ReadFile("T/keep"), "t") << path;
        EXPECT_EQ(dir.ReadFile("T/z/file"), "z") << path;
    }
    EXPECT_TRUE(DeleteTree(tree + "/z"));
    EXPECT_FALSE(dir.Exists("T/z"));
    EXPECT_EQ(dir.ReadFile("T/keep"), "t");
    EXPECT_TRUE(DeleteTree(tree + "/missing"));
}

// A folder on the way to the path that is a link (planted, or swapped in after the
// caller checked the path) is not followed: the path no longer names the folder the
// caller proved to be its own.
TEST(LauncherTree, DeleteTreeDoesNotGoThroughALink) {
    TempDir dir;
    dir.WriteFile("sibling/b/canary", "alive");
    dir.WriteFile("T/keep", "t");
    ASSERT_EQ(::symlink((dir / "sibling").c_str(), (dir / "T/a").c_str()), 0);
    EXPECT_FALSE(DeleteTree(dir / "T/a/b"));
    EXPECT_EQ(dir.ReadFile("sibling/b/canary"), "alive");
    // The link itself, named as the path, goes as a name.
    EXPECT_TRUE(DeleteTree(dir / "T/a"));
    EXPECT_FALSE(IsLink(dir / "T/a"));
    EXPECT_EQ(dir.ReadFile("sibling/b/canary"), "alive");
}

}  // namespace
