// The self-update on temporary trees: an installation (bin, Profiles, Personal,
// data/mods) and a download folder holding the new launcher, as the launcher download
// leaves it. Real files, a real running executable for the locked case, real links.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "workflow/MainState.h"
#include "workflow/PageCommands.h"
#include "workflow/RecordingWindow.h"
#include "platform/posix/FileMove.h"
#include "platform/process/ProcessHandle.h"
#include "platform/process/ProcessSpawn.h"
#include "support/LinkBait.h"
#include "support/TempDir.h"
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
        // The installation of the old launcher.
        dir.WriteFile("game/bin/Launcher.exe", "old launcher");
        dir.WriteFile("game/bin/old.dll", "old library");
        dir.WriteFile("game/Profiles/game.version", "version 1");
        dir.WriteFile("game/Profiles/Launcher.cfg", "hostIP = \"127.0.0.1\"\n");
        dir.WriteFile("game/Personal/Global.cfg", "localization = \"en\"\n");
        dir.WriteFile("game/Personal/Logs/Launcher.log", "log");
        dir.WriteFile("game/data/mods/mod.txt", "a mod");
        dir.WriteFile("game/data/Packs/pack.bin", "a pack");
        // The download folder: the torrent, and its one top folder with the new launcher.
        dir.WriteFile("dl/Launcher.torrent", "d4:infoe");
        dir.WriteFile("dl/L/Launcher.exe", "new launcher");
        ASSERT_EQ(::chmod((dir / "dl/L/Launcher.exe").c_str(), 0755), 0);
        dir.WriteFile("dl/L/lib.so", "new library");
        dir.WriteFile("dl/L/game.version", "version 2");
        dir.WriteFile("dl/L/docs/readme.txt", "a sub-folder of the download");
    }

    LauncherUpdateFunctor::InstallResult Install(bool reinstall, std::vector<std::string>& locked) {
        RefPtr<LauncherUpdateView> view(new LauncherUpdateView(&window));
        LauncherUpdateRequest request{dir / "game", dir / "dl/L", !reinstall, reinstall, false};
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
};

TEST_F(LauncherUpdateTest, UpdateInstallsTheFilesAndMovesTheVersionFileToProfiles) {
    // A read-only target is made writable and replaced.
    ASSERT_EQ(::chmod((dir / "game/bin/Launcher.exe").c_str(), 0444), 0);
    const auto events = Run({dir / "game", dir / "dl/L", true, false, false});
    EXPECT_EQ(events, (std::vector<std::u16string>{u"LauncherUpdate.OnNeedUpdate", u"LauncherUpdate.OnUpdated"}));
    EXPECT_EQ(dir.ReadFile("game/bin/Launcher.exe"), "new launcher");
    EXPECT_EQ(ModeOf(dir / "game/bin/Launcher.exe") & 0777, 0755u) << "the installed launcher stays executable";
    EXPECT_EQ(dir.ReadFile("game/bin/lib.so"), "new library");
    EXPECT_EQ(dir.ReadFile("game/bin/old.dll"), "old library");
    EXPECT_EQ(dir.ReadFile("game/Profiles/game.version"), "version 2");
    EXPECT_FALSE(dir.Exists("game/bin/game.version"));
    EXPECT_FALSE(dir.Exists("game/bin/docs"));
    EXPECT_FALSE(dir.Exists("dl/L/game.version")) << "moved, not copied";
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
    EXPECT_EQ(dir.ReadFile("game/Profiles/game.version"), "version 2");
}

TEST_F(LauncherUpdateTest, WithoutANewVersionFileNothingIsTouched) {
    ASSERT_EQ(::unlink((dir / "dl/L/game.version").c_str()), 0);
    for (bool reinstall : {false, true}) {
        std::vector<std::string> locked;
        EXPECT_EQ(Install(reinstall, locked), LauncherUpdateFunctor::NotUpdated) << reinstall;
        EXPECT_EQ(dir.ReadFile("game/Profiles/game.version"), "version 1");
        EXPECT_EQ(dir.ReadFile("game/bin/Launcher.exe"), "old launcher");
        EXPECT_TRUE(dir.Exists("game/data/Packs/pack.bin"));
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
        EXPECT_EQ(dir.ReadFile("game/Profiles/game.version"), "version 1");
        EXPECT_TRUE(dir.Exists("game/data/Packs/pack.bin"));
    }
    // The page gets the full path as the event's argument.
    const auto events = Run({dir / "game", dir / "dl/L", true, false, false});
    ASSERT_EQ(events.back(), u"LauncherUpdate.OnLockedFiles");
    ASSERT_EQ(window.events.back().size(), 2u);
    EXPECT_NE(window.events.back()[1].find(u"/bin/Launcher.exe"), std::u16string::npos);
    running.Kill();
    running.WaitForExit(10000);
}

TEST_F(LauncherUpdateTest, DropTempDeletesTheDownloadFolderButNotWhatItsLinksPointTo) {
    dir.WriteFile("outside/keep.txt", "outside");
    ASSERT_EQ(::symlink((dir / "outside").c_str(), (dir / "dl/L/linked").c_str()), 0);
    const auto events = Run({dir / "dl", dir / "game/bin", false, false, true});
    EXPECT_EQ(events,
              (std::vector<std::u16string>{u"LauncherUpdate.OnDeleteTempDir", u"LauncherUpdate.OnNoNeedUpdate"}));
    EXPECT_FALSE(dir.Exists("dl"));
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
    for (const Case& entry : cases) {
        TempDir dir;
        dir.WriteFile("game/bin/Launcher.exe", "installed");
        dir.WriteFile("game/Profiles/game.version", "version 1");
        dir.WriteFile("game/data/Packs/pack.bin", "pack");
        dir.WriteFile("home/keep.txt", "home");
        dir.WriteFile("loose/keep.txt", "loose");
        dir.WriteFile("othergame/bin/keep.txt", "other");
        dir.WriteFile("othergame/Profiles/keep.txt", "other");
        dir.WriteFile("dl/L/Launcher.exe", "new");
        dir.WriteFile("dl/L/game.version", "version 2");
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
        EXPECT_EQ(dir.ReadFile("game/Profiles/game.version"), "version 1") << entry.what;
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
    const LinkBait version(dir / "etc/passwd", dir / "game/Profiles/game.version");
    std::vector<std::string> locked;
    EXPECT_EQ(Install(false, locked), LauncherUpdateFunctor::Updated);
    EXPECT_TRUE(library.Untouched());
    EXPECT_TRUE(library.ReplacedByAFile());
    EXPECT_TRUE(version.Untouched());
    EXPECT_TRUE(version.ReplacedByAFile());
    EXPECT_EQ(dir.ReadFile("game/bin/lib.so"), "new library");
    EXPECT_EQ(dir.ReadFile("game/Profiles/game.version"), "version 2");
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
