// The real Launcher.exe on a private Xvfb display, in a private network and a
// temporary game tree: its page
// comes from the archive inside the program through vfs:, answers the start
// handshake, reports its frame to the root state and shows the root state's answer;
// a click on the page's full-check button checks the tree against its version file
// and lists the damaged files; a click on the exit button then ends the program with
// 0. A screenshot of the screen is saved under the build folder. Skipped when no
// display can be had.
#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <string>

#include "WindowDriver.h"
#include "support/RequiredEnvironment.h"
#include "support/versions/SignedVersions.h"

namespace {

constexpr int kWindowWidth = 748;
// The exit button's centre in the page (see launcher.css: the buttons at x 692).
constexpr int kExitX = 735;
constexpr int kExitY = 12;
// The full-check button, near the top left of the content (see launcher.css).
constexpr int kFullCheckX = 60;
constexpr int kFullCheckY = 58;

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
    GameTree tree;
    WindowedLauncher launcher(tree);
    if (!launcher.HasDisplay()) SKIP_UNLESS_REQUIRED(launcher.Problem());
    std::ofstream(tree / "Profiles/Launcher.cfg") << "hostIP = \"127.0.0.1\"\nhostPort = 9\n";
    const bool checkable = WriteVersionFile(tree);
    ASSERT_TRUE(launcher.Start());

    const bool answered = launcher.WaitForLog("page event Launcher.OnFrameLoad", 12000);
    EXPECT_TRUE(answered) << launcher.Log() << launcher.Stderr();
    int x = 0, y = 0;
    const bool shown = answered && launcher.FindWindow(kWindowWidth, x, y);
    EXPECT_TRUE(shown);
    if (shown) {
        if (checkable) {
            launcher.Click(x + kFullCheckX, y + kFullCheckY);
            EXPECT_TRUE(launcher.WaitForLog("page event FullCheck.OnComplete", 10000)) << launcher.Log();
        }
        const std::string screenshot = LAUNCHER_BUILD_DIR "/launcher-window.png";
        EXPECT_TRUE(launcher.Screenshot(screenshot));
        std::cout << "screenshot: " << screenshot << std::endl;
        launcher.Click(x + kExitX, y + kExitY);
    }
    const int code = launcher.WaitForExit(shown ? 8000 : 0);
    EXPECT_EQ(code, 0) << launcher.Log() << launcher.Stderr().substr(0, 4000);

    const std::string traffic = launcher.Log();
    for (const char* line : {"page command 666", "page command 10", "page command 7835", "page command 1002"})
        EXPECT_NE(traffic.find(line), std::string::npos) << line << "\n" << traffic;
    if (checkable) {
        for (const char* line : {"page command 50", "page event FullCheck.OnStart", "page event FullCheck.OnProgress"})
            EXPECT_NE(traffic.find(line), std::string::npos) << line << "\n" << traffic;
    }
    EXPECT_EQ(traffic.find("script error"), std::string::npos) << traffic;
    EXPECT_EQ(traffic.find("did not answer"), std::string::npos) << traffic;
}
