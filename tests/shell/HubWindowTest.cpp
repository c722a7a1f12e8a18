// The progressive edition's page on the real launcher, on a private Xvfb: the game
// hub (the fake hub, installed where the launcher starts its hub) downloads the game
// while the page shows how much of it is ready. The shipped text tables leave the
// progressive mode off; loose copies of them under bin/Resources/, which the launcher
// prefers to its archive's older entries, add the one switch that turns it on, as a
// table's later part may. Screenshots of each state are saved under the build folder:
// downloading, ready to play, the link lost, and the whole game there (in English).
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "shell/LauncherOnDisplay.h"
#include "support/ArgvRecord.h"
#include "support/FileBytes.h"
#include "support/HubLinkFixtures.h"
#include "support/PrivateXvfb.h"
#include "support/ProcessScan.h"
#include "support/RequiredEnvironment.h"
#include "support/versions/SignedVersions.h"

namespace fs = std::filesystem;

namespace {

// A pixel of the hub's progress bar near its left end, in the first panel of the
// activity column (see launcher.css), which the fill covers from 1 percent on, and
// its colours.
constexpr int kBarX = 36;
constexpr int kBarY = 167;
constexpr unsigned kDownloadingFill = 0xC9B27C;
constexpr unsigned kReadyFill = 0x7FB069;
constexpr unsigned kLostFill = 0x6B5A3E;
// The Play button, at the right of the play bar (see launcher.css).
constexpr int kPlayX = 644;
constexpr int kPlayY = 516;
// The footer's "English" link.
constexpr int kEnglishX = 122;
constexpr int kEnglishY = 576;

// The installed game: version "1.0.0" with three files of the minimal set.
void InstallProgressiveGame(const GameTree& tree) {
    VersionWriter::Model model;
    model.version = "1.0.0";
    model.folders.push_back({"/data/", {}});
    for (const char* name : {"a.pak", "b.pak", "c.pak"}) model.folders[0].files.push_back(ListedFile(name, name));
    WriteWholeFile(tree / "Profiles/game.version", SignedVersionFile(model));
    // No update server in the launcher's network; the high-resolution textures wanted.
    WriteNoUpdateServerConfig(tree, "gfx_texture_mip = 0\n");
    for (const char* locale : {"ru", "en"}) {
        const std::string table = std::string("LauncherLocale") + locale + "/texts.js";
        WriteWholeFile(tree / ("bin/Resources/" + table),
                       ReadWholeFile(LAUNCHER_TEST_DATA "/../Client/resources/" + table) + "Texts.define(\"" + locale +
                           "\", { \"option.progressive\": \"true\" });\n");
    }
}

}  // namespace

TEST(HubWindow, TheProgressiveEditionShowsTheHubsProgressAndPlaysWhenTheGameCanRun) {
    if (!BuiltInKeyIsSample()) SKIP_UNLESS_REQUIRED("the launcher was built with another version key");
    PrivateXvfb xvfb;
    if (!xvfb.Start()) SKIP_UNLESS_REQUIRED("no Xvfb");
    GameTree tree;
    Display* display = XOpenDisplay(xvfb.Display().c_str());
    if (!display) SKIP_UNLESS_REQUIRED("cannot open " + xvfb.Display());
    InstallProgressiveGame(tree);
    // The hub: three packs, the sounds done in about a second, the textures never.
    const std::string socket = tree / "VantryV4";
    WriteWholeFile(tree / "hub.packs",
                   "build 1.0.0 1001\npack Data/Base.pak 1000000 1000000\npack Data/Sounds.pak 12000000\n"
                   "pack Data/Textures.HIRES.pak 100000000000\nrate 10000000\n");
    const std::string hub = tree / "bin/VantryLight/VantryHub.exe";
    WriteHubScript(hub, tree / "hub.starts",
                   {"--socket", socket, "--script", tree / "hub.packs", "--log", tree / "hub.log", "--idle-exit", "30000"});
    fs::copy_file(SAMPLE_GAME_PATH, tree / "bin/ZIrira.exe");
    setenv("SAMPLE_GAME_MODE", "exit:0", 1);
    setenv("SAMPLE_GAME_RECORD", (tree / "game-argv").c_str(), 1);
    unsetenv("VT_PROJECT_ID");
    ProcessHandle launcher = StartLauncher(tree, xvfb.Display());
    ASSERT_TRUE(launcher.IsValid());
    const std::string log = tree / "Personal/Logs/Launcher.log";
    // Play makes a game step of its own, linked before the game starts; the game is
    // told that it runs beside a hub, and the new link reports.
    const auto playAndCheckItKnowsTheHub = [&](int x, int y) {
        const std::size_t before = ReadAll(log).size();
        Click(display, x + kPlayX, y + kPlayY);
        ArgvRecord record;
        ASSERT_TRUE(WaitForArgvRecord(tree / "game-argv", 10000, record)) << ReadAll(log);
        fs::remove(tree / "game-argv");
        EXPECT_EQ(record.argv, (std::vector<std::string>{"ZIrira.exe", "-vantry", "2"}));
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        const auto reported = [&] {
            const std::string since = ReadAll(log).substr(before);
            const std::size_t start = since.find("page command 700");
            return start != std::string::npos && since.find("page event Game.OnDownloading", start) != std::string::npos;
        };
        while (!reported() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_TRUE(reported()) << ReadAll(log);
    };

    int x = 0, y = 0;
    ASSERT_TRUE(WaitForLauncherPage(display, tree, x, y));
    // Once the update road has answered, the page makes the game step and links it.
    EXPECT_TRUE(WaitForText(log, "page command 77", 10000)) << ReadAll(log);
    EXPECT_TRUE(WaitForColor(display, x + kBarX, y + kBarY, kDownloadingFill, 10000)) << ReadAll(log);
    EXPECT_TRUE(SaveScreenshot(display, "hub-downloading.png"));

    // Every pack the game needs is there; the textures are still coming.
    EXPECT_TRUE(WaitForColor(display, x + kBarX, y + kBarY, kReadyFill, 10000)) << ReadAll(log);
    EXPECT_TRUE(SaveScreenshot(display, "hub-ready.png"));
    playAndCheckItKnowsTheHub(x, y);

    // The hub goes and cannot be started again.
    fs::remove(hub);
    for (pid_t pid : ProcessesWithArgument(tree / "hub.packs")) kill(pid, SIGKILL);
    EXPECT_TRUE(WaitForColor(display, x + kBarX, y + kBarY, kLostFill, 10000)) << ReadAll(log);
    EXPECT_TRUE(SaveScreenshot(display, "hub-lost.png"));

    // A hub that has it all: the link comes back, and the next game step hears that
    // the whole game is there.
    WriteWholeFile(tree / "hub2.packs",
                   "build 1.0.0 1001\npack Data/Base.pak 1000000 1000000\npack Data/Sounds.pak 12000000 12000000\n"
                   "pack Data/Textures.HIRES.pak 100000 100000\n");
    FakeHubProcess secondHub({"--socket", socket, "--script", tree / "hub2.packs", "--idle-exit", "30000"});
    EXPECT_TRUE(WaitForColor(display, x + kBarX, y + kBarY, kReadyFill, 10000)) << ReadAll(log);
    playAndCheckItKnowsTheHub(x, y);
    EXPECT_TRUE(WaitForText(log, "page event Game.OnDownloadingFinished", 10000)) << ReadAll(log);
    // In the other language too.
    Click(display, x + kEnglishX, y + kEnglishY);
    EXPECT_TRUE(WaitForText(log, "page event Locale.OnLoad", 5000, 3)) << ReadAll(log);
    EXPECT_TRUE(SaveScreenshot(display, "hub-finished.png"));

    launcher.Kill();
    launcher.WaitForExit(5000);
    XCloseDisplay(display);
    unsetenv("SAMPLE_GAME_MODE");
    unsetenv("SAMPLE_GAME_RECORD");
    const std::string traffic = ReadAll(log);
    EXPECT_EQ(ReadLines(tree / "hub.starts").size(), 1u);
    for (const char* line : {"page command 20", "page command 70", "page event Game.OnDownloading",
                             "page event Game.OnVtConnectionLost", "page command 700", "page event Game.OnRun"})
        EXPECT_NE(traffic.find(line), std::string::npos) << line << "\n" << traffic;
    EXPECT_EQ(traffic.find("script error"), std::string::npos) << traffic;
}
