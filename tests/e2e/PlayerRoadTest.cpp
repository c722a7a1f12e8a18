// The real Launcher.exe on a copy of the sample installation, on a private Xvfb and in a
// network of its own with the update server, driven through its real page as a player
// drives it: the page's own elements, found by id and clicked through WebKit's script
// API (the page driver that the test preloads into the program). Each state is
// photographed under the build folder as e2e-*.png.
#include <gtest/gtest.h>

#include <sched.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <thread>

#include "platform/process/ProcessSpawn.h"
#include "shell/LauncherOnDisplay.h"
#include "support/LoopbackHttpServer.h"
#include "support/PageDriver.h"
#include "support/PrivateXvfb.h"
#include "support/ProcessScan.h"
#include "support/RequiredEnvironment.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

// Moves the test process into a network namespace of its own with loopback up, so
// that what it starts afterwards (servers, the launcher) shares it; false without root.
bool EnterPrivateNetwork() {
    if (geteuid() != 0 || unshare(CLONE_NEWNET) != 0) return false;
    const std::string ip = FindExecutableInPath("ip");
    if (ip.empty()) return false;
    ProcessHandle up = SpawnChild({ip, {ip, "link", "set", "lo", "up"}, ""});
    int code = -1;
    return up.WaitForExit(10000, &code) == WaitResult::Exited && code == 0;
}

// Generous bounds: the whole road must also pass on a loaded machine and under ASan.
constexpr int kPageMs = 30000;
constexpr int kStepMs = 20000;
constexpr int kSampleGameWidth = 420;

class PlayerRoad : public ::testing::Test {
protected:
    void SetUp() override {
        // The display comes first, from the machine's network: an X server started in a
        // private network sees none of the others' abstract sockets, takes display :0 and
        // replaces the socket file of whichever server holds :0 there, which leaves that
        // server unreachable for every client in a network of its own.
        if (!xvfb.Start() || !(display = XOpenDisplay(xvfb.Display().c_str()))) {
            problem = "no Xvfb";
            return;
        }
        // The launcher keeps its production network defaults: it, the update server and
        // everything else of the test share a network of the test's own with only loopback.
        if (!EnterPrivateNetwork()) {
            problem = "a private network needs root and unshare(CLONE_NEWNET)";
            return;
        }
        // The sample installation as `./run demo` prepares it: its files, the program and
        // the sample game in bin/, and the installed version's signed description; its
        // update server is the test's.
        fs::copy(LAUNCHER_SOURCE_DIR "/tools/sample-install", tree.Root(), fs::copy_options::recursive);
        fs::copy_file(LAUNCHER_EXE_PATH, tree / "bin/Launcher.exe");
        const std::string game = tree / ("bin/" + fs::path(SAMPLE_GAME_PATH).filename().string());
        fs::copy_file(SAMPLE_GAME_PATH, game);
        gameName = game;
        // The update server has this installation as its current version, with the
        // repair torrent of it; the folder is the torrents' web seed too.
        server = std::make_unique<LoopbackHttpServer>();
        server->ServeFolder(serverFolder.Path());
        std::ofstream(tree / "Profiles/Launcher.cfg")
            << "hostIP = \"127.0.0.1\"\nhostPort = " << server->Port() << "\nhostPath = \"/\"\nhostType = \"http\"\n";
        const std::string writer = VERSION_WRITER_PATH;
        ProcessHandle written = SpawnChild({writer,
                                            {writer, "--root", tree.Root(), "--out", tree / "Profiles/game.version",
                                             "--version", "1.0.0", "--exclude", "Personal/Global.cfg"},
                                            ""});
        int code = -1;
        if (written.WaitForExit(60000, &code) != WaitResult::Exited || code != 0) {
            problem = "the version writer failed";
            return;
        }
        // The launcher's own files, which a repair checks too.
        fs::create_directories(launcherFiles / "bin");
        fs::copy_file(LAUNCHER_EXE_PATH, launcherFiles / "bin/Launcher.exe");
        const std::string publisher = UPDATE_PUBLISHER_PATH;
        ProcessHandle published = SpawnChild(
            {publisher,
             {publisher, "--out", serverFolder.Path(), "--current", "1.0.0", "--tree", "1.0.0=" + tree.Root(),
              "--exclude", "Personal/Global.cfg", "--launcher-tree", launcherFiles.Path(), "--web-seed",
              server->BaseUrl()},
             ""});
        if (published.WaitForExit(60000, &code) != WaitResult::Exited || code != 0) {
            problem = "the update publisher failed";
            return;
        }
        launcher = StartLauncher(tree, xvfb.Display(), {}, "",
                                 PageDriver::LauncherEnvironment(PAGE_DRIVER_AGENT_PATH, tree / "driver.sock"),
                                 false);
        if (!launcher.IsValid()) problem = "the launcher did not start";
    }

    void TearDown() override {
        if (!gameName.empty())
            for (pid_t pid : ProcessesOf(gameName)) kill(pid, SIGTERM);
        if (launcher.IsValid()) WaitForLauncherExit(launcher, 0);
        if (display) XCloseDisplay(display);
    }

    std::string Log() const { return ReadAll(tree / "Personal/Logs/Launcher.log"); }
    std::string Diagnosis() {
        return driver.error() + "\nrepair: " + driver.Text("repairStatus") + "\n" + Log() +
               ReadAll(tree / "stderr").substr(0, 4000);
    }

    // A picture of the page as it stands now.
    void Photograph(const std::string& state) {
        const std::string path = LAUNCHER_BUILD_DIR "/e2e-" + state + ".png";
        EXPECT_TRUE(driver.Snapshot(path)) << driver.error();
        std::cout << "screenshot: " << path << std::endl;
    }

    // Clicks the first element that the CSS selector finds (for links without an id).
    bool ClickSelector(const std::string& selector) {
        std::string value;
        return driver.Eval("(function(){var e=document.querySelector(" + ScriptString(selector) +
                               ");if(!e)return false;e.click();return true;})()",
                           value) &&
               value == "true";
    }

    PrivateXvfb xvfb;
    Display* display = nullptr;
    GameTree tree;
    TempDir serverFolder;
    TempDir launcherFiles;
    std::unique_ptr<LoopbackHttpServer> server;
    PageDriver driver{tree / "driver.sock"};
    ProcessHandle launcher;
    std::string gameName;
    std::string problem;
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
    ASSERT_TRUE(driver.Click("exit")) << Diagnosis();
    EXPECT_EQ(WaitForLauncherExit(launcher, kStepMs), 0) << Diagnosis();
    EXPECT_EQ(Log().find("script error"), std::string::npos) << Log();
}

}  // namespace
