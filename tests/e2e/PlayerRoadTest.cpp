// The sample installation at its version with the test's own update server (its
// current version is the installation's, with the repair torrent of it): the start, the
// preferences, both languages, the full check, the repair and Play, driven through the
// real page as a player drives it: the page's own elements, found by id and clicked
// through WebKit's script API (the page driver that the test preloads into the program).
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "e2e/SampleInstallRoad.h"
#include "shell/LauncherOnDisplay.h"
#include "support/RequiredEnvironment.h"

namespace {

constexpr int kSampleGameWidth = 420;

class PlayerRoad : public SampleInstallRoad {
protected:
    void SetUp() override {
        SampleInstallRoad::SetUp();
        if (!problem.empty()) return;
        if (!Publish({"--current", "1.0.0", "--tree", "1.0.0=" + Snapshot("1.0.0")})) {
            problem = "the update publisher failed";
            return;
        }
        StartTheLauncher();
    }

    std::string Diagnosis() { return "repair: " + driver.Text("repairStatus") + "\n" + SampleInstallRoad::Diagnosis(); }
};

TEST_F(PlayerRoad, SwitchesLanguageChecksRepairsAndPlaysThroughThePage) {
    if (!problem.empty()) SKIP_UNLESS_REQUIRED(problem);
    const std::string log = tree / "Personal/Logs/Launcher.log";

    // The page answers the start handshake and the update server cannot be reached: the
    // launcher's network has nothing but loopback.
    ASSERT_TRUE(WaitForText(log, "page event Launcher.OnFrameLoad", kPageMs)) << Diagnosis();
    ASSERT_TRUE(driver.WaitForShown("fullCheckRun", kStepMs)) << Diagnosis();
    ASSERT_TRUE(WaitForText(log, "page event Patching.OnResponse", kStepMs)) << Diagnosis();
    EXPECT_TRUE(driver.WaitUntil("document.getElementById('patchingStatus').innerText.length > 0", kStepMs))
        << Diagnosis();
    Photograph("start");

    // The preferences panel opens over the content and closes again.
    ASSERT_TRUE(driver.Click("prefsOpen")) << Diagnosis();
    EXPECT_TRUE(driver.WaitForShown("prefsPanel", kStepMs)) << Diagnosis();
    EXPECT_TRUE(WaitForText(log, "page event Prefs.OnLoad", kStepMs)) << Diagnosis();
    Photograph("preferences");
    ASSERT_TRUE(driver.Click("prefsClose")) << Diagnosis();
    EXPECT_TRUE(driver.WaitUntil("document.getElementById('prefsPanel').hidden", kStepMs)) << Diagnosis();

    // The language links: every text of the page follows, and the choice is saved for
    // the next start.
    const std::string cfg = tree / "Personal/Global.cfg";
    ASSERT_TRUE(ClickSelector("[data-locale=en]")) << Diagnosis();
    ASSERT_TRUE(WaitForText(cfg, "localization = \"en\"", kStepMs)) << ReadAll(cfg);
    ASSERT_TRUE(driver.WaitUntil("Texts.locale() === 'en'", kStepMs)) << Diagnosis();
    const std::string englishCheck = driver.Text("fullCheckRun");
    EXPECT_FALSE(englishCheck.empty());
    ASSERT_TRUE(ClickSelector("[data-locale=ru]")) << Diagnosis();
    EXPECT_TRUE(WaitForText(cfg, "localization = \"ru\"", kStepMs)) << ReadAll(cfg);
    EXPECT_TRUE(driver.WaitUntil("document.getElementById('fullCheckRun').innerText !== " + ScriptString(englishCheck),
                                 kStepMs))
        << Diagnosis();
    Photograph("russian");
    ASSERT_TRUE(ClickSelector("[data-locale=en]")) << Diagnosis();
    EXPECT_TRUE(driver.WaitUntil("document.getElementById('fullCheckRun').innerText === " + ScriptString(englishCheck),
                                 kStepMs))
        << Diagnosis();

    // The full check finds the installation whole.
    ASSERT_TRUE(driver.Click("fullCheckRun")) << Diagnosis();
    ASSERT_TRUE(WaitForText(log, "page event FullCheck.OnSuccess", kStepMs)) << Diagnosis();
    EXPECT_TRUE(driver.WaitUntil("document.getElementById('fullCheckResult').innerText.length > 0", kStepMs))
        << Diagnosis();
    EXPECT_TRUE(driver.WaitUntil("document.getElementById('damagedFiles').hidden", kStepMs)) << Diagnosis();
    Photograph("check-whole");

    // A file changed behind the launcher's back is named by the next check.
    const std::string intact = ReadAll(tree / "bin/README");
    std::ofstream(tree / "bin/README", std::ios::app) << "damaged";
    ASSERT_TRUE(driver.Click("fullCheckRun")) << Diagnosis();
    ASSERT_TRUE(WaitForText(log, "page event FullCheck.OnComplete", kStepMs)) << Diagnosis();
    EXPECT_TRUE(driver.WaitUntil("!document.getElementById('damagedFiles').hidden && "
                                 "document.getElementById('damagedFiles').innerText.indexOf('README') >= 0",
                                 kStepMs))
        << driver.Text("damagedFiles") << "\n"
        << Diagnosis();
    Photograph("check-damaged");

    // Repair fetches the damaged file from the update server's repair torrent (its web
    // seed) and puts it in place, byte for byte; the next check finds the whole again.
    ASSERT_TRUE(driver.WaitForShown("repairRun", kStepMs)) << Diagnosis();
    ASSERT_TRUE(driver.Click("repairRun")) << Diagnosis();
    ASSERT_TRUE(WaitForText(log, "page event Repair.OnSuccess", 60000)) << Diagnosis();
    EXPECT_EQ(ReadAll(tree / "bin/README"), intact);
    EXPECT_TRUE(driver.WaitUntil("document.getElementById('repairStatus').innerText.length > 0", kStepMs))
        << Diagnosis();
    Photograph("repaired");
    ASSERT_TRUE(driver.Click("fullCheckRun")) << Diagnosis();
    ASSERT_TRUE(WaitForText(log, "page event FullCheck.OnSuccess", kStepMs, 2)) << Diagnosis();

    // Play with the login the installation remembers and a password: the sample game
    // starts and the page says that it runs.
    if (driver.IsShown("gameLogin")) {
        std::string login;
        EXPECT_TRUE(driver.Eval("document.getElementById('gameLoginName').value", login));
        EXPECT_EQ(login, "player");
        ASSERT_TRUE(driver.Fill("gamePassword", "secret")) << Diagnosis();
    }
    ASSERT_TRUE(driver.Click("gamePlay")) << Diagnosis();
    ASSERT_TRUE(WaitForText(log, "page event Game.OnRun", kStepMs)) << Diagnosis();
    int gameX = 0, gameY = 0;
    EXPECT_TRUE(WaitForWindowOfWidth(display, kSampleGameWidth, 0, gameX, gameY, kStepMs));
    EXPECT_TRUE(driver.WaitUntil(
        "document.getElementById('gameState').getAttribute('data-text') === 'game.running'", kStepMs))
        << Diagnosis();
    Photograph("game-running");
    EXPECT_TRUE(SaveScreenshot(display, "e2e-screen-game-running.png"));

    // The window's own exit button ends the program.
    ExitTheLauncher();
    EXPECT_EQ(Log().find("script error"), std::string::npos) << Log();
}

}  // namespace
