// The firewall dialog in the real program: a mock firewalld (python3-dbusmock) on a
// private bus stands in for the system bus. With the ports closed the launcher asks
// first; the answer "allow" opens them, and the main window follows. When opening
// them fails in the elevated launcher, the second page reports it and lets the user
// go on. Screenshots of both pages (Russian and English) are saved under the build
// folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "WindowDriver.h"
#include "support/PrivateDbus.h"
#include "support/RequiredEnvironment.h"

namespace {

const std::string kTemplate = LAUNCHER_TEST_DATA "/support/firewalld-mock.py";
constexpr int kDialogWidth = 641;
constexpr int kMainWidth = 748;
constexpr unsigned kStripColor = 0x2b261f;
// The first button of each page (firewall.css: buttons at the bottom right).
constexpr int kAcceptX = 437;
constexpr int kAskHeight = 300, kPostHeight = 139;
constexpr int kAskAcceptY = 265, kPostAcceptY = 108;
constexpr int kExitX = 735, kExitY = 12;

class FirewallWindowTest : public ::testing::Test {
protected:
    // Starts the launcher against a firewalld with these parameters.
    bool Start(const std::string& parameters, const std::vector<std::string>& arguments) {
        if (!launcher.HasDisplay()) {
            problem = launcher.Problem();
            return false;
        }
        if (!bus.Start() || !bus.StartMock(kTemplate, parameters, "org.fedoraproject.FirewallD1")) {
            problem = "no dbus-daemon or python3-dbusmock";
            return false;
        }
        setenv("DBUS_SYSTEM_BUS_ADDRESS", bus.Address().c_str(), 1);
        std::ofstream(tree / "Profiles/Launcher.cfg") << "hostIP = \"127.0.0.1\"\nhostPort = 9\n";
        return launcher.Start(arguments);
    }

    // Waits for the dialog (the nth of the run) to be painted, photographs it and
    // presses its first button.
    void AnswerDialog(int nth, int height, const char* screenshot, int acceptY) {
        int x = 0, y = 0;
        ASSERT_TRUE(launcher.WaitForWindow(kDialogWidth, height, x, y, 15000)) << launcher.Log() << launcher.Stderr();
        ASSERT_TRUE(launcher.WaitForLog("firewall page event FWLocale.OnLoad", 10000, nth)) << launcher.Log();
        ASSERT_TRUE(launcher.WaitForColor(x + 300, y + 4, kStripColor, 10000));
        EXPECT_TRUE(launcher.Screenshot(screenshot));
        std::cout << "screenshot: " << screenshot << std::endl;
        launcher.Click(x + kAcceptX, y + acceptY);
    }

    // The main window follows; its exit button ends the program.
    void ExitFromMainWindow() {
        int x = 0, y = 0;
        ASSERT_TRUE(launcher.WaitForLog("page event Launcher.OnFrameLoad", 15000)) << launcher.Log();
        ASSERT_TRUE(launcher.WaitForWindow(kMainWidth, 0, x, y, 5000));
        launcher.Click(x + kExitX, y + kExitY);
        EXPECT_EQ(launcher.WaitForExit(8000), 0) << launcher.Log() << launcher.Stderr().substr(0, 4000);
    }

    GameTree tree;
    PrivateDbus bus;
    WindowedLauncher launcher{tree};
    std::string problem;
};

TEST_F(FirewallWindowTest, TheUserAllowsAndThePortsOpen) {
    if (!Start("{}", {})) SKIP_UNLESS_REQUIRED(problem);
    AnswerDialog(1, kAskHeight, LAUNCHER_BUILD_DIR "/firewall-ask.png", kAskAcceptY);
    ExitFromMainWindow();
    const std::string log = launcher.Log();
    EXPECT_NE(log.find("firewall: ports 6968-6978 (TCP and UDP) admitted in zone public"), std::string::npos) << log;
    EXPECT_NE(log.find("page command 77"), std::string::npos) << log;
}

TEST_F(FirewallWindowTest, AFailedChangeInTheElevatedLauncherIsReportedAndTheUserGoesOn) {
    // Both pages speak the user's language.
    std::ofstream(tree / "Personal/Global.cfg") << "localization = \"en\"\n";
    if (!Start(R"({"deny": true})", {"-UAC"})) SKIP_UNLESS_REQUIRED(problem);
    AnswerDialog(1, kAskHeight, LAUNCHER_BUILD_DIR "/firewall-ask-denied.png", kAskAcceptY);
    AnswerDialog(2, kPostHeight, LAUNCHER_BUILD_DIR "/firewall-post.png", kPostAcceptY);
    ExitFromMainWindow();
    EXPECT_NE(launcher.Log().find("not admitted: addPort: NOT_AUTHORIZED"), std::string::npos) << launcher.Log();
}

}  // namespace
