// Play on the real launcher's page: on a private Xvfb, the player types a login and a
// password into the page of the real Launcher.exe and presses Enter; the launcher
// starts the sample game with them, the page shows the start and then the running
// game, and the sample game opens its window with the login. Screenshots of the page
// before the start and with the game running are saved under the build folder.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "shell/LauncherOnDisplay.h"
#include "support/ArgvRecord.h"
#include "support/PrivateXvfb.h"
#include "support/ProcessScan.h"
#include "support/RequiredEnvironment.h"

namespace fs = std::filesystem;

namespace {

// The login field, at the left of the play bar (see launcher.css).
constexpr int kLoginX = 100;
constexpr int kLoginY = 521;
constexpr int kSampleGameWidth = 420;


}  // namespace

TEST(GameWindow, PlayStartsTheSampleGameWithTheTypedLoginAndShowsItRunning) {
    PrivateXvfb xvfb;
    if (!xvfb.Start()) SKIP_UNLESS_REQUIRED("no Xvfb");
    GameTree tree;
    Display* display = XOpenDisplay(xvfb.Display().c_str());
    if (!display) SKIP_UNLESS_REQUIRED("cannot open " + xvfb.Display());
    fs::copy_file(SAMPLE_GAME_PATH, tree / "bin/ZIrira.exe");
    setenv("SAMPLE_GAME_RECORD", (tree / "game-argv").c_str(), 1);
    setenv("SAMPLE_GAME_ENV_RECORD", (tree / "game-environment").c_str(), 1);
    ProcessHandle launcher = StartLauncher(tree, xvfb.Display());
    ASSERT_TRUE(launcher.IsValid());
    const std::string log = tree / "Personal/Logs/Launcher.log";

    const bool answered = WaitForText(log, "page event Launcher.OnFrameLoad", 12000);
    EXPECT_TRUE(answered) << ReadAll(log) << ReadAll(tree / "stderr");
    int x = 0, y = 0;
    const bool shown = answered && FindLauncherWindow(display, x, y);
    ASSERT_TRUE(shown);
    EXPECT_TRUE(SaveScreenshot(display, "game-before-play.png"));
    Click(display, x + kLoginX, y + kLoginY);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the field takes the focus
    TypeKeys(display, "player7\tsecret\n");
    EXPECT_TRUE(WaitForText(log, "page event Game.OnRun", 10000)) << ReadAll(log);
    // The sample game's window (420 pixels wide) shows who logged in.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    int gameX = 0, gameY = 0;
    while (!FindWindowOfWidth(display, kSampleGameWidth, gameX, gameY) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(FindWindowOfWidth(display, kSampleGameWidth, gameX, gameY));
    EXPECT_TRUE(SaveScreenshot(display, "game-running.png"));

    ArgvRecord record;
    std::vector<std::string> environment;
    ASSERT_TRUE(WaitForArgvRecord(tree / "game-argv", 5000, record));
    EXPECT_EQ(record.argv, std::vector<std::string>{"ZIrira.exe"});
    ASSERT_TRUE(WaitForEnvironmentRecord(tree / "game-environment", 5000, environment));
    std::string login, password;
    EXPECT_TRUE(FindVariable(environment, "a_login", &login));
    EXPECT_TRUE(FindVariable(environment, "a_password", &password));
    EXPECT_EQ(login, "player7");
    EXPECT_EQ(password.size(), 24u);  // six units: three words
    EXPECT_NE(ReadAll(tree / "Personal/Global.cfg").find("launcherLogin = \"player7\""), std::string::npos);

    for (pid_t game : ProcessesOf(tree / "bin/ZIrira.exe")) kill(game, SIGTERM);
    launcher.Kill();
    launcher.WaitForExit(5000);
    XCloseDisplay(display);
    unsetenv("SAMPLE_GAME_RECORD");
    unsetenv("SAMPLE_GAME_ENV_RECORD");

    const std::string traffic = ReadAll(log);
    for (const char* line : {"page command 70", "page event Game.OnEpayCheck", "page command 700",
                             "page event Game.OnPreRun", "page event Game.OnRun"})
        EXPECT_NE(traffic.find(line), std::string::npos) << line << "\n" << traffic;
    EXPECT_EQ(traffic.find("script error"), std::string::npos) << traffic;
}
