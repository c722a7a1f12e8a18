// The roads that end in a reinstall, or in a locked file, in the real Launcher.exe on a
// copy of the sample installation, through its real page (the page driver clicks the
// page's own buttons by id) against the test's update server on loopback:
// - an installed version too old to be patched offers the reinstall; after one question
//   the launcher downloads a new launcher from the server's "Launcher.torrent" and starts
//   it in the reinstall mode, which empties the game folder but for Personal/ and
//   data/mods/, installs itself and the new version file, and restarts installed;
// - a damaged file of the running launcher offers the reinstall and the exit; one of the
//   launcher's other files, met by the repair, offers the reinstall; Escape closes the
//   question and nothing starts;
// - a game file that cannot be replaced is asked about, and skipping it ends the repair
//   with the page saying so;
// - the Firewall tool, where no settings tool is installed, names the ports to admit.
// Each state is photographed under the build folder as e2e-*.png.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <X11/Xlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "e2e/SampleInstallRoad.h"
#include "platform/process/ProcessSpawn.h"
#include "shell/LauncherOnDisplay.h"
#include "support/FileBytes.h"
#include "support/HubLinkFixtures.h"
#include "support/ProcessScan.h"
#include "support/RequiredEnvironment.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

constexpr char kMod[] = "a player's own mod";
constexpr char kPack[] = "the packs of version 1.0.0";
constexpr char kShot[] = "a player's screenshot";

bool HasLauncherFolder(const std::string& folder) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        if (entry.path().filename().string().rfind("LAU", 0) == 0) return true;
    return false;
}

// The installation at 1.0.0 with a pack, a mod and a file of the launcher beside its
// program; the update server's "Launcher.torrent" holds this build and launcher.pak.
class ReinstallRoad : public SampleInstallRoad {
protected:
    void SetUp() override {
        SampleInstallRoad::SetUp();
        if (!problem.empty()) return;
        ASSERT_TRUE(ReadWholeFile(LAUNCHER_EXE_PATH, build));
        WriteWholeFile(tree / "data/Packs/world.pak", kPack);
        WriteWholeFile(tree / "data/mods/mymod.txt", kMod);
        WriteWholeFile(tree / "bin/launcher.pak", "the launcher's own data");
        WriteWholeFile(tree / "Personal/Screenshots/shot1.png", kShot);
        fs::copy_file(tree / "bin/launcher.pak", launcherTree + "/launcher.pak");
        if (!WriteVersionFile(tree.Root(), tree / "Profiles/game.version", "1.0.0"))
            problem = "the version writer failed";
    }

    // The launcher started at its page, which offers no reinstall for a version it can
    // patch, and its full check clicked.
    void StartAndRunTheFullCheck() {
        ASSERT_TRUE(StartTheLauncher());
        ASSERT_TRUE(WaitForText(LogPath(), "page event Patching.OnResponse", kPageMs)) << Diagnosis();
        ASSERT_TRUE(driver.WaitForShown("fullCheckRun", kStepMs)) << Diagnosis();
        EXPECT_FALSE(driver.IsShown("roadReinstall"));
        ASSERT_TRUE(driver.Click("fullCheckRun")) << Diagnosis();
    }

    // The page's button shown, clicked, and the question it asks shown.
    void AskReinstall(const std::string& button) {
        ASSERT_TRUE(driver.WaitForShown(button, kStepMs)) << Diagnosis();
        ASSERT_TRUE(driver.Click(button)) << Diagnosis();
        ASSERT_TRUE(driver.WaitForShown("reinstallConfirm", kStepMs)) << Diagnosis();
    }

    std::string build;
};

}  // namespace

TEST_F(ReinstallRoad, AVersionTooOldToPatchIsReinstalledKeepingPersonalAndModsWithTheNewLauncherAndVersionFile) {
    if (!problem.empty()) SKIP_UNLESS_REQUIRED(problem);
    // The installed launcher is an older build: this one with bytes of its own after the image.
    WriteWholeFile(tree / "bin/Launcher.exe", build + "older build");
    ASSERT_EQ(::chmod((tree / "bin/Launcher.exe").c_str(), 0755), 0);
    ASSERT_TRUE(WriteVersionFile(tree.Root(), tree / "Profiles/game.version", "1.0.0"));
    // The server's history starts at 1.0.0 and patches it to 1.0.1: 1.0.0 is too old.
    const std::string installed = Snapshot("1.0.0");
    const std::string next = Snapshot("1.0.1");
    fs::remove(next + "/Profiles/game.version");
    WriteWholeFile(next + "/data/Packs/world.pak", "the packs of version 1.0.1");
    TempDir payload;
    WriteWholeFile(payload / "1.0.0-1.0.1.patch", "a patch");
    ASSERT_TRUE(WriteVersionFile(next, launcherTree + "/game.version", "1.0.1"));
    std::string newVersionFile;
    ASSERT_TRUE(ReadWholeFile(launcherTree + "/game.version", newVersionFile));
    ASSERT_TRUE(Publish({"--current", "1.0.1", "--tree", "1.0.0=" + installed, "--tree", "1.0.1=" + next, "--patch",
                         "1.0.0,1.0.1," + payload.Path(), "--old-version", "1.0.0"}));
    TempDir downloads;
    ASSERT_TRUE(StartTheLauncher({"TMPDIR=" + downloads.Path()}));

    // The update road says that the version is too old and offers the reinstall; the
    // file check offers none.
    ASSERT_TRUE(WaitForText(LogPath(), "page event Patching.OnAnswer", kPageMs)) << Diagnosis();
    AskReinstall("roadReinstall");
    EXPECT_FALSE(driver.IsShown("fullCheckReinstall"));
    EXPECT_FALSE(driver.IsShown("repairReinstall"));
    Photograph("reinstall-question");
    // No: nothing starts.
    ASSERT_TRUE(driver.Click("reinstallNo")) << Diagnosis();
    EXPECT_TRUE(driver.WaitUntil("document.getElementById('reinstallConfirm').hidden", kStepMs)) << Diagnosis();
    EXPECT_EQ(Log().find("page command 2700"), std::string::npos) << Log();
    Photograph("reinstall-offered");

    // Yes: the launcher downloads the new launcher, starts it in the reinstall mode and ends.
    AskReinstall("roadReinstall");
    ASSERT_TRUE(driver.Click("reinstallYes")) << Diagnosis();
    ASSERT_TRUE(WaitForText(LogPath(), "page command 2702", 60000)) << Diagnosis();
    EXPECT_EQ(WaitForLauncherExit(launcher, kStepMs), 0) << Diagnosis();
    // The new launcher installs itself and restarts installed, which removes the download.
    ASSERT_TRUE(WaitForText(LogPath(), "page event LauncherUpdate.OnDeleteTempDir", 60000)) << Diagnosis();
    EXPECT_TRUE(WaitUntil([&] { return !HasLauncherFolder(downloads.Path()); }, kStepMs)) << "the download stays";
    EXPECT_TRUE(driver.WaitForShown("fullCheckRun", kStepMs)) << Diagnosis();
    Photograph("reinstalled");

    // Personal/ and data/mods/ are as they were; the rest of the game is gone; the new
    // launcher and the new version file are installed.
    EXPECT_NE(ReadAll(tree / "Personal/Global.cfg").find("launcherLogin = \"player\""), std::string::npos)
        << ReadAll(tree / "Personal/Global.cfg");
    EXPECT_EQ(ReadAll(tree / "Personal/Screenshots/shot1.png"), kShot);
    EXPECT_EQ(ReadAll(tree / "data/mods/mymod.txt"), kMod);
    EXPECT_FALSE(fs::exists(tree / "data/Packs/world.pak"));
    EXPECT_FALSE(fs::exists(tree / "bin/README"));
    EXPECT_FALSE(fs::exists(gameName));
    EXPECT_TRUE(ReadAll(tree / "bin/Launcher.exe") == build) << "the installed launcher is not the downloaded one";
    struct stat info {};
    ASSERT_EQ(::stat((tree / "bin/Launcher.exe").c_str(), &info), 0);
    EXPECT_NE(info.st_mode & S_IXUSR, 0u) << "the installed launcher is executable";
    EXPECT_EQ(ReadAll(tree / "Profiles/game.version"), newVersionFile);
    EXPECT_FALSE(fs::exists(tree / "bin/game.version"));
    EXPECT_EQ(Log().find("script error"), std::string::npos) << Log();

    // The installed launcher keeps running as any launcher would: end it.
    for (pid_t pid : ProcessesOf(tree / "bin/Launcher.exe")) ::kill(pid, SIGKILL);
    EXPECT_TRUE(WaitUntil([&] { return ProcessesOf(tree / "bin/Launcher.exe").empty(); }, 10000));
}

TEST_F(ReinstallRoad, DamagedLauncherFilesOfferTheReinstallTheCheckAlsoTheExitAndEscapeClosesTheQuestion) {
    if (!problem.empty()) SKIP_UNLESS_REQUIRED(problem);
    ASSERT_TRUE(Publish({"--current", "1.0.0", "--tree", "1.0.0=" + Snapshot("1.0.0")}));

    {
        SCOPED_TRACE("the running launcher's own program is damaged");
        WriteWholeFile(tree / "bin/Launcher.exe", build + "changed");
        ASSERT_EQ(::chmod((tree / "bin/Launcher.exe").c_str(), 0755), 0);
        ASSERT_NO_FATAL_FAILURE(StartAndRunTheFullCheck());
        ASSERT_TRUE(WaitForText(LogPath(), "page event FullCheck.OnSystemCrash", kStepMs)) << Diagnosis();
        EXPECT_TRUE(driver.WaitForShown("fullCheckExit", kStepMs)) << Diagnosis();
        EXPECT_FALSE(driver.IsShown("repairRun"));
        AskReinstall("fullCheckReinstall");
        Photograph("systemcrash-question");
        // Escape, as the player presses it in the window: the question closes.
        int x = 0, y = 0;
        Window window = 0;
        ASSERT_TRUE(FindWindowOfWidth(display, kLauncherWindowWidth, x, y, 0, &window));
        XSetInputFocus(display, window, RevertToPointerRoot, CurrentTime);
        XFlush(display);
        PressChord(display, {"Escape"});
        EXPECT_TRUE(driver.WaitUntil("document.getElementById('reinstallConfirm').hidden", kStepMs)) << Diagnosis();
        Photograph("systemcrash");
        // The check's exit ends the launcher.
        ASSERT_TRUE(driver.Click("fullCheckExit")) << Diagnosis();
        EXPECT_EQ(WaitForLauncherExit(launcher, kStepMs), 0) << Diagnosis();
        EXPECT_EQ(Log().find("page command 2700"), std::string::npos) << Log();
        EXPECT_EQ(Log().find("script error"), std::string::npos) << Log();
    }
    {
        SCOPED_TRACE("a file of the launcher beside its program is damaged");
        WriteWholeFile(tree / "bin/Launcher.exe", build);
        WriteWholeFile(tree / "bin/launcher.pak", "damaged");
        ASSERT_NO_FATAL_FAILURE(StartAndRunTheFullCheck());
        ASSERT_TRUE(WaitForText(LogPath(), "page event FullCheck.OnComplete", kStepMs)) << Diagnosis();
        EXPECT_FALSE(driver.IsShown("fullCheckReinstall"));
        EXPECT_FALSE(driver.IsShown("repairReinstall"));
        ASSERT_TRUE(driver.WaitForShown("repairRun", kStepMs)) << Diagnosis();
        ASSERT_TRUE(driver.Click("repairRun")) << Diagnosis();
        ASSERT_TRUE(WaitForText(LogPath(), "page event Repair.OnLauncherRepair", kStepMs)) << Diagnosis();
        AskReinstall("repairReinstall");
        ASSERT_TRUE(driver.Click("reinstallNo")) << Diagnosis();
        EXPECT_TRUE(driver.WaitUntil("document.getElementById('reinstallConfirm').hidden", kStepMs)) << Diagnosis();
        Photograph("launcher-repair");

        // The Firewall tool: without firewalld's settings tool on the machine (the test
        // packages do not bring it) the page names the ports to admit.
        if (FindExecutableInPath("firewall-config").empty()) {
            ASSERT_TRUE(driver.Click("firewallOpen")) << Diagnosis();
            EXPECT_TRUE(driver.WaitForShown("firewallPorts", kStepMs)) << Diagnosis();
            EXPECT_NE(driver.Text("firewallPorts").find("6968"), std::string::npos) << driver.Text("firewallPorts");
            EXPECT_NE(driver.Text("firewallPorts").find("6978"), std::string::npos) << driver.Text("firewallPorts");
            Photograph("firewall-missing");
        }

        EXPECT_EQ(Log().find("page command 2700"), std::string::npos) << Log();
        EXPECT_EQ(Log().find("script error"), std::string::npos) << Log();
        ExitTheLauncher();
    }
}

TEST_F(ReinstallRoad, AGameFileThatCannotBeReplacedIsAskedAboutAndSkippingItEndsTheRepair) {
    if (!problem.empty()) SKIP_UNLESS_REQUIRED(problem);
    ASSERT_TRUE(Publish({"--current", "1.0.0", "--tree", "1.0.0=" + Snapshot("1.0.0")}));
    // A folder with a file in it where the pack belongs: no move or copy can replace it.
    fs::remove(tree / "data/Packs/world.pak");
    WriteWholeFile(tree / "data/Packs/world.pak/inside", "in the way");

    ASSERT_NO_FATAL_FAILURE(StartAndRunTheFullCheck());
    ASSERT_TRUE(WaitForText(LogPath(), "page event FullCheck.OnComplete", kStepMs)) << Diagnosis();
    ASSERT_TRUE(driver.WaitForShown("repairRun", kStepMs)) << Diagnosis();
    ASSERT_TRUE(driver.Click("repairRun")) << Diagnosis();
    ASSERT_TRUE(WaitForText(LogPath(), "page event Repair.OnLockedFile", 60000)) << Diagnosis();
    ASSERT_TRUE(driver.WaitForShown("repairSkip", kStepMs)) << Diagnosis();
    EXPECT_NE(driver.Text("repairLockedTarget").find("world.pak"), std::string::npos) << driver.Text("repairLockedTarget");
    Photograph("repair-locked");
    ASSERT_TRUE(driver.Click("repairSkip")) << Diagnosis();
    ASSERT_TRUE(WaitForText(LogPath(), "page event Repair.OnFail", kStepMs)) << Diagnosis();
    EXPECT_TRUE(driver.WaitUntil(
        "document.getElementById('repairStatus').getAttribute('data-text') === 'repair.fail.2.skipped'", kStepMs))
        << Diagnosis();
    EXPECT_TRUE(driver.WaitUntil("document.getElementById('repairLocked').hidden", kStepMs)) << Diagnosis();
    Photograph("repair-skipped");
    // The folder in the way is left as it was.
    EXPECT_EQ(ReadAll(tree / "data/Packs/world.pak/inside"), "in the way");
    EXPECT_NE(Log().find("page command 8000"), std::string::npos) << Log();
    ExitTheLauncher();
}
