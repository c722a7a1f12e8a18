// A demo installation's page on the real launcher, on a private Xvfb: the demo offers
// the full version, asks before it starts, marks the installation and restarts; the
// restarted launcher runs in the demo state "2", makes the game step once the update
// road has answered (no update server in its network) and asks for the full version on
// it, which cannot be had either, and, as the player's settings have the background
// download on, says that it downloads in the background; cancelled, it closes and leaves
// a demo again. Screenshots of each state are saved under the build folder, the last in
// English.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "shell/LauncherOnDisplay.h"
#include "support/FileBytes.h"
#include "support/PageDriver.h"
#include "support/PrivateXvfb.h"
#include "support/ProcessScan.h"
#include "support/RequiredEnvironment.h"
#include "support/versions/SignedVersions.h"

namespace fs = std::filesystem;

namespace {

// The full-version panel's first button: the panel is the first of the activity column,
// its status two lines or three (see launcher.css, fullversion.css).
constexpr int kFirstButtonX = 60;
constexpr int kButtonY = 226;
// The footer's "English" link.
constexpr int kEnglishX = 122;
constexpr int kEnglishY = 576;

void InstallDemo(const GameTree& tree) {
    VersionWriter::Model model;
    model.version = "1.0.0";
    model.folders.push_back({"/data/", {ListedFile("base.pak", "base", 3), ListedFile("world.pak", "world", 1)}});
    WriteWholeFile(tree / "Profiles/game.version", SignedVersionFile(model));
    WriteWholeFile(tree / "data/base.pak", "base");
    WriteNoUpdateServerConfig(tree);
    WriteWholeFile(tree / "bin/demo.bin", "");
    WriteWholeFile(tree / "Personal/Global.cfg", "download_full_background = true\n");
}

bool WaitForRestart(const std::string& launcher, pid_t first, pid_t& second, int boundMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
    while (std::chrono::steady_clock::now() < deadline) {
        for (pid_t pid : ProcessesOf(launcher))
            if (pid != first) {
                second = pid;
                return true;
            }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

}  // namespace

TEST(DemoWindow, TheDemoOffersTheFullVersionAndTheRestartedLauncherAsksForIt) {
    if (!BuiltInKeyIsSample()) SKIP_UNLESS_REQUIRED("the launcher was built with another version key");
    PrivateXvfb xvfb;
    if (!xvfb.Start()) SKIP_UNLESS_REQUIRED("no Xvfb");
    GameTree tree;
    Display* display = XOpenDisplay(xvfb.Display().c_str());
    if (!display) SKIP_UNLESS_REQUIRED("cannot open " + xvfb.Display());
    InstallDemo(tree);
    ProcessHandle launcher = StartLauncher(tree, xvfb.Display(), {}, "",
                                           PageDriver::LauncherEnvironment(PAGE_DRIVER_AGENT_PATH, tree / "driver.sock"));
    ASSERT_TRUE(launcher.IsValid());
    const std::string log = tree / "Personal/Logs/Launcher.log";
    PageDriver driver(tree / "driver.sock");

    ASSERT_TRUE(WaitForText(log, "page event App.SetDemoState", 12000)) << ReadAll(log) << ReadAll(tree / "stderr");
    int x = 0, y = 0;
    ASSERT_TRUE(FindLauncherWindow(display, x, y));
    EXPECT_TRUE(SaveScreenshot(display, "demo-offer.png"));
    // Nothing downloads yet: no word of the background download.
    EXPECT_TRUE(driver.WaitForShown("fullVersionGet", 5000)) << driver.error();
    EXPECT_FALSE(driver.IsShown("fullVersionBackground"));

    Click(display, x + kFirstButtonX, y + kButtonY);  // Get the full version
    EXPECT_TRUE(WaitForText(log, "page event App.AskForFullVersion", 5000)) << ReadAll(log);
    EXPECT_TRUE(SaveScreenshot(display, "demo-ask.png"));

    Click(display, x + kFirstButtonX, y + kButtonY);  // Yes
    EXPECT_TRUE(WaitForText(log, "page event App.DemoDownloadFullVersion", 5000)) << ReadAll(log);
    pid_t restarted = 0;
    ASSERT_TRUE(WaitForRestart(tree / "bin/Launcher.exe", launcher.Pid(), restarted, 10000)) << ReadAll(log);
    EXPECT_EQ(WaitForLauncherExit(launcher, 10000), 0);
    EXPECT_FALSE(fs::exists(tree / "bin/demo.bin"));
    EXPECT_TRUE(fs::exists(tree / "bin/demo.old"));

    // The new run's log: the road waits for the update road, then makes the game step.
    EXPECT_TRUE(WaitForText(log, "page command 4001", 15000)) << ReadAll(log);
    // The repair request finds no server either: the page offers to try again.
    EXPECT_TRUE(WaitForText(log, "page event Repair.OnServerError", 15000)) << ReadAll(log);
    const std::string traffic = ReadAll(log);
    const std::size_t patchAnswer = traffic.find("page event Patching.OnServerError");
    const std::size_t gameStep = traffic.find("page command 70");
    EXPECT_NE(patchAnswer, std::string::npos) << traffic;
    EXPECT_LT(patchAnswer, gameStep) << traffic;
    ASSERT_TRUE(FindLauncherWindow(display, x, y));
    Click(display, x + kEnglishX, y + kEnglishY);
    EXPECT_TRUE(WaitForText(log, "page event Locale.OnLoad", 5000, 2)) << ReadAll(log);
    EXPECT_TRUE(SaveScreenshot(display, "demo-fetch.png"));

    // The download runs in the background, as the settings say.
    EXPECT_TRUE(driver.WaitForShown("fullVersionBackground", 5000)) << driver.error();
    EXPECT_NE(driver.Text("fullVersionBackground").find("Background download is on"), std::string::npos)
        << driver.Text("fullVersionBackground");

    // Cancel, beside "Try again", below that line: the launcher closes and the
    // installation is a demo again.
    std::string centre;
    ASSERT_TRUE(driver.Eval("(function(){var r=document.getElementById('fullVersionCancel').getBoundingClientRect();"
                            "return Math.round(r.left + r.width / 2) + ' ' + Math.round(r.top + r.height / 2);})()",
                            centre))
        << driver.error();
    const int cancelX = std::stoi(centre.substr(0, centre.find(' ')));
    const int cancelY = std::stoi(centre.substr(centre.find(' ') + 1));
    Click(display, x + cancelX, y + cancelY);
    EXPECT_TRUE(WaitForText(log, "page event App.DoExit", 5000)) << ReadAll(log);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!ProcessesOf(tree / "bin/Launcher.exe").empty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (!ProcessesOf(tree / "bin/Launcher.exe").empty()) {
        ADD_FAILURE() << "the launcher did not close\n" << ReadAll(log);
        kill(restarted, SIGKILL);
    }
    EXPECT_TRUE(fs::exists(tree / "bin/demo.bin"));
    EXPECT_FALSE(fs::exists(tree / "bin/demo.old"));
    XCloseDisplay(display);
    EXPECT_EQ(ReadAll(log).find("script error"), std::string::npos) << ReadAll(log);
}
