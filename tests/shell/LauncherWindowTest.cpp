// The real Launcher.exe on a private Xvfb display, in a temporary game tree: its page
// comes from the archive inside the program through vfs:, answers the start
// handshake, reports its frame to the root state and shows the root state's answer;
// it asks the update server for patches and tells that none can be reached;
// a click on the page's full-check button checks the tree against its version file
// and lists the damaged files, one on the fast-check button gives its verdict; a click
// on the exit button then ends the program with 0. A screenshot of the screen is saved under the build folder. Skipped when no
// display can be had.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>

#include "shell/LauncherOnDisplay.h"
#include "support/PrivateXvfb.h"
#include "support/RequiredEnvironment.h"
#include "support/versions/SignedVersions.h"

namespace {

// The exit button's centre in the page (see launcher.css: the buttons at x 692).
constexpr int kExitX = 735;
constexpr int kExitY = 12;
// The full-check and the fast-check buttons, the first two tools of the side column
// (see launcher.css).
constexpr int kFullCheckX = 644;
constexpr int kFullCheckY = 167;
constexpr int kFastCheckX = 644;
constexpr int kFastCheckY = 203;

// A signed version file for the tree: the launcher's configuration as it is, and two
// files that are not there. False when the program checks against another key than
// the sample key the tests sign with.
bool WriteVersionFile(const GameTree& tree) {
    if (!BuiltInKeyIsSample()) return false;
    std::string config;
    VersionWriter::ReadFile(tree / "Profiles/Launcher.cfg", config);
    VersionWriter::Model model;
    model.version = "5.2.17";
    model.folders.push_back({"/Profiles/", {ListedFile("Launcher.cfg", config)}});
    model.folders.push_back({"/data/", {ListedFile("textures.pak", std::string(4096, 't')), ListedFile("world.map", "map")}});
    return VersionWriter::WriteFile(tree / "Profiles/game.version", SignedVersionFile(model));
}

}  // namespace

TEST(LauncherWindow, ShowsItsPageTalksToTheRootStateAndClosesWithItsExitButton) {
    PrivateXvfb xvfb;
    if (!xvfb.Start()) SKIP_UNLESS_REQUIRED("no Xvfb");
    GameTree tree;
    Display* display = XOpenDisplay(xvfb.Display().c_str());
    if (!display) SKIP_UNLESS_REQUIRED("cannot open " + xvfb.Display());
    WriteNoUpdateServerConfig(tree);
    const bool checkable = WriteVersionFile(tree);
    ProcessHandle launcher = StartLauncher(tree, xvfb.Display());
    ASSERT_TRUE(launcher.IsValid());
    const std::string err = tree / "stderr";

    const std::string log = tree / "Personal/Logs/Launcher.log";
    int x = 0, y = 0;
    const bool shown = WaitForLauncherPage(display, tree, x, y);
    EXPECT_TRUE(shown);
    if (shown) {
        // The page runs the update road at its start, ending with the patch request; nothing
        // answers in the launcher's network. A check started before would cut the road short.
        EXPECT_TRUE(WaitForText(log, "page event Patching.OnServerError", 10000)) << ReadAll(log);
        if (checkable) {
            Click(display, x + kFullCheckX, y + kFullCheckY);
            EXPECT_TRUE(WaitForText(log, "page event FullCheck.OnComplete", 10000)) << ReadAll(log);
            // Two files are missing: the quick check fails too.
            Click(display, x + kFastCheckX, y + kFastCheckY);
            EXPECT_TRUE(WaitForText(log, "page event FastCheck.OnFail", 10000)) << ReadAll(log);
        }
        // The web process paints on its own time; the page changes just after the event.
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        const std::string screenshot = LAUNCHER_BUILD_DIR "/launcher-window.png";
        EXPECT_TRUE(SaveScreenPng(display, screenshot));
        std::cout << "screenshot: " << screenshot << std::endl;
        Click(display, x + kExitX, y + kExitY);
    }
    int code = -1;
    if (launcher.WaitForExit(shown ? 8000 : 0, &code) != WaitResult::Exited) {
        launcher.Kill();
        launcher.WaitForExit(5000);
        ADD_FAILURE() << "the launcher did not end\n" << ReadAll(log) << ReadAll(err);
    } else {
        EXPECT_EQ(code, 0) << ReadAll(err).substr(0, 4000);
    }
    XCloseDisplay(display);

    const std::string traffic = ReadAll(log);
    for (const char* line : {"page command 666", "page command 10", "page command 7835", "page command 30",
                             "page event Patching.OnRequest", "page event Patching.OnServerError", "page command 1002"})
        EXPECT_NE(traffic.find(line), std::string::npos) << line << "\n" << traffic;
    if (checkable) {
        for (const char* line : {"page command 50", "page event FullCheck.OnStart", "page event FullCheck.OnProgress"})
            EXPECT_NE(traffic.find(line), std::string::npos) << line << "\n" << traffic;
    }
    EXPECT_EQ(traffic.find("script error"), std::string::npos) << traffic;
    EXPECT_EQ(traffic.find("did not answer"), std::string::npos) << traffic;
}
