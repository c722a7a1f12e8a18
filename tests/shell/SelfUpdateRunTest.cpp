// The real program updates itself on a temporary installation: an older build in
// bin, the new build started from a download folder with "/update" and the game root.
// The new one installs its files, the page restarts into the installed copy with
// "/droptemp", and that copy removes the download folder.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <thread>

#include "LauncherOnDisplay.h"
#include "support/FileBytes.h"
#include "support/HubLinkFixtures.h"
#include "support/PrivateXvfb.h"
#include "support/ProcessScan.h"
#include "support/RequiredEnvironment.h"
#include "support/ScopedTempFolder.h"
#include "support/versions/SignedVersions.h"

namespace {

namespace fs = std::filesystem;

// The launcher torrent holds one top folder (launcherFolder "Brennic/") or only the
// files (""), which then lie directly in the download folder. The download folder lies
// in a temporary folder of the test's own, beside other users' files, one of which is
// a planted launcher torrent: only the download folder may go.
void RunSelfUpdate(const std::string& launcherFolder, const std::string& screenshot) {
    PrivateXvfb xvfb;
    if (!xvfb.Start()) SKIP_UNLESS_REQUIRED("no Xvfb");
    if (!BuiltInKeyIsSample()) SKIP_UNLESS_REQUIRED("the program checks version files against another key");
    GameTree tree;
    Display* display = XOpenDisplay(xvfb.Display().c_str());
    if (!display) SKIP_UNLESS_REQUIRED("cannot open " + xvfb.Display());
    WriteNoUpdateServerConfig(tree);
    WriteWholeFile(tree / "Profiles/game.version", SignedVersionFile({"1.0.1", {}}));
    // The older build: the same program with bytes of its own after the image.
    std::string build;
    ASSERT_TRUE(ReadWholeFile(LAUNCHER_EXE_PATH, build));
    WriteWholeFile(tree / "bin/Launcher.exe", build + "older build");
    ASSERT_EQ(::chmod((tree / "bin/Launcher.exe").c_str(), 0755), 0);

    ScopedTempFolder temp;
    WriteWholeFile(temp / "ssh-XYZ/agent.1", "another user's agent");
    WriteWholeFile(temp / "other-download/part", "another download");
    WriteWholeFile(temp / "Launcher.torrent", "d4:infoe");
    // The download folder as the launcher download leaves it; its version file names
    // the version the game stands at and lists the new launcher's files.
    const std::string dl = temp / "LAUabc123";
    const std::string files = dl + "/" + launcherFolder;
    const std::string newVersion =
        SignedVersionFile({"1.0.1", {{"/bin/", {ListedFile("newer.txt", "a file only the new build has")}}}});
    WriteWholeFile(dl + "/Launcher.torrent", "d4:infoe");
    WriteWholeFile(files + "Launcher.exe", build);
    ASSERT_EQ(::chmod((files + "Launcher.exe").c_str(), 0755), 0);
    WriteWholeFile(files + "game.version", newVersion);
    WriteWholeFile(files + "newer.txt", "a file only the new build has");

    ProcessHandle launcher = StartLauncherAt(tree, files + "Launcher.exe", xvfb.Display(), {"/update", tree.Root()},
                                             "", {"TMPDIR=" + temp.Path()});
    ASSERT_TRUE(launcher.IsValid());
    const std::string err = tree / "stderr";

    // The installed copy's page tells what happened; its traffic log is the installation's.
    const std::string log = tree / "Personal/Logs/Launcher.log";
    const bool restarted = WaitForText(log, "page event LauncherUpdate.OnNoNeedUpdate", 60000);
    EXPECT_TRUE(restarted) << ReadAll(log) << ReadAll(err);
    EXPECT_TRUE(WaitUntil([&] { return !fs::exists(dl); }, 20000)) << "the download folder stays";
    EXPECT_EQ(ReadAll(temp / "ssh-XYZ/agent.1"), "another user's agent");
    EXPECT_EQ(ReadAll(temp / "other-download/part"), "another download");
    EXPECT_TRUE(fs::exists(temp / "Launcher.torrent"));
    EXPECT_EQ(ReadAll(tree / "bin/newer.txt"), "a file only the new build has");
    EXPECT_EQ(ReadAll(tree / "bin/Launcher.exe").size(), build.size());
    EXPECT_EQ(ReadAll(tree / "Profiles/game.version"), newVersion);
    EXPECT_FALSE(fs::exists(tree / "bin/game.version"));
    struct stat info {};
    ASSERT_EQ(::stat((tree / "bin/Launcher.exe").c_str(), &info), 0);
    EXPECT_NE(info.st_mode & S_IXUSR, 0u) << "the installed launcher is executable";
    EXPECT_NE(ReadAll(log).find("page event LauncherUpdate.OnDeleteTempDir"), std::string::npos) << ReadAll(log);
    // The starter ends once the installed copy runs.
    EXPECT_GE(WaitForLauncherExit(launcher, 20000), 0);

    if (restarted) {
        int x = 0, y = 0;
        if (FindLauncherWindow(display, x, y)) SaveScreenshot(display, screenshot);
    }
    // The installed copy keeps running as any launcher would: end it.
    for (pid_t pid : ProcessesOf(tree / "bin/Launcher.exe")) ::kill(pid, SIGKILL);
    EXPECT_TRUE(WaitUntil([&] { return ProcessesOf(tree / "bin/Launcher.exe").empty(); }, 10000));
    XCloseDisplay(display);
}

TEST(SelfUpdateRun, AnUpdateFromADownloadFolderInstallsAndRestartsIntoTheInstalledLauncher) {
    RunSelfUpdate("Brennic/", "launcher-updated.png");
}

TEST(SelfUpdateRun, ALauncherTorrentOfFilesOnlyRemovesItsDownloadFolderAndNothingAroundIt) {
    RunSelfUpdate("", "launcher-updated-files-only.png");
}

}  // namespace
