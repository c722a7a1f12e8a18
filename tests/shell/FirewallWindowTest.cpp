// The firewall dialog in the real program: a mock firewalld (python3-dbusmock) on a
// private bus stands in for the system bus. With the ports closed the launcher asks
// first; the answer "allow" opens them, and the main window follows. When opening
// them fails in the elevated launcher, the second page reports it and lets the user
// go on. Screenshots of both pages (Russian and English) are saved under the build
// folder.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>

#include "shell/LauncherOnDisplay.h"
#include "support/PrivateDbus.h"
#include "support/PrivateXvfb.h"
#include "support/RequiredEnvironment.h"

namespace {

const std::string kTemplate = LAUNCHER_TEST_DATA "/support/firewalld-mock.py";
constexpr int kDialogWidth = 641;
constexpr int kAskHeight = 300, kPostHeight = 139;
constexpr unsigned kStripColor = 0x2b261f;
// The first button of each page (firewall.css: the buttons at the bottom right).
constexpr int kAcceptX = 437;
constexpr int kAskAcceptY = 265, kPostAcceptY = 108;
constexpr int kExitX = 735, kExitY = 12;

class FirewallWindowTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (launcher.IsValid()) WaitForLauncherExit(launcher, 0);
        if (display) XCloseDisplay(display);
    }

    // Starts the launcher against a firewalld with these parameters; false (with the
    // reason in problem) when a display, the bus or the mock cannot be had.
    bool Start(const std::string& parameters, const std::vector<std::string>& arguments) {
        if (!xvfb.Start() || !(display = XOpenDisplay(xvfb.Display().c_str()))) {
            problem = "no Xvfb";
            return false;
        }
        if (!bus.Start() || !bus.StartMock(kTemplate, parameters, "org.fedoraproject.FirewallD1")) {
            problem = "no dbus-daemon or python3-dbusmock";
            return false;
        }
        WriteNoUpdateServerConfig(tree);
        launcher = StartLauncher(tree, xvfb.Display(), arguments, bus.Address());
        return launcher.IsValid();
    }

    // Waits for the dialog (the nth of the run) to be painted, photographs it and
    // presses its first button.
    void AnswerDialog(int nth, int height, const std::string& screenshot, int acceptY) {
        int x = 0, y = 0;
        ASSERT_TRUE(WaitForWindowOfWidth(display, kDialogWidth, height, x, y, 15000)) << Log();
        ASSERT_TRUE(WaitForText(tree / "Personal/Logs/Launcher.log", "firewall page event FWLocale.OnLoad", 10000, nth))
            << Log();
        ASSERT_TRUE(WaitForColor(display, x + 300, y + 4, kStripColor, 10000));
        // The texts arrive just after the event; the web process paints on its own time.
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        EXPECT_TRUE(SaveScreenPng(display, screenshot));
        std::cout << "screenshot: " << screenshot << std::endl;
        Click(display, x + kAcceptX, y + acceptY);
    }

    // The main window follows; its exit button ends the program.
    void ExitFromMainWindow() {
        int x = 0, y = 0;
        ASSERT_TRUE(WaitForText(tree / "Personal/Logs/Launcher.log", "page event Launcher.OnFrameLoad", 15000)) << Log();
        ASSERT_TRUE(WaitForWindowOfWidth(display, kLauncherWindowWidth, 0, x, y, 5000));
        Click(display, x + kExitX, y + kExitY);
        EXPECT_EQ(WaitForLauncherExit(launcher, 8000), 0) << Log() << ReadAll(tree / "stderr").substr(0, 4000);
    }

    std::string Log() const { return ReadAll(tree / "Personal/Logs/Launcher.log"); }

    PrivateXvfb xvfb;
    Display* display = nullptr;
    GameTree tree;
    PrivateDbus bus;
    ProcessHandle launcher;
    std::string problem;
};

TEST_F(FirewallWindowTest, TheUserAllowsAndThePortsOpen) {
    if (!Start("{}", {})) SKIP_UNLESS_REQUIRED(problem);
    ASSERT_NO_FATAL_FAILURE(AnswerDialog(1, kAskHeight, LAUNCHER_BUILD_DIR "/firewall-ask.png", kAskAcceptY));
    ASSERT_NO_FATAL_FAILURE(ExitFromMainWindow());
    EXPECT_NE(Log().find("firewall: ports 6968-6978 (TCP and UDP) admitted in zone public"), std::string::npos) << Log();
    EXPECT_NE(Log().find("firewall page command 77"), std::string::npos) << Log();
}

TEST_F(FirewallWindowTest, AFailedChangeInTheElevatedLauncherIsReportedAndTheUserGoesOn) {
    // Both pages speak the user's language.
    std::ofstream(tree / "Personal/Global.cfg") << "localization = \"en\"\n";
    if (!Start(R"({"deny": true})", {"-UAC"})) SKIP_UNLESS_REQUIRED(problem);
    // A page that never came stops the test at once: the waits for the next would only add up.
    ASSERT_NO_FATAL_FAILURE(AnswerDialog(1, kAskHeight, LAUNCHER_BUILD_DIR "/firewall-ask-en.png", kAskAcceptY));
    ASSERT_NO_FATAL_FAILURE(AnswerDialog(2, kPostHeight, LAUNCHER_BUILD_DIR "/firewall-post-en.png", kPostAcceptY));
    ASSERT_NO_FATAL_FAILURE(ExitFromMainWindow());
    EXPECT_NE(Log().find("not admitted: addPort: NOT_AUTHORIZED"), std::string::npos) << Log();
}

}  // namespace
