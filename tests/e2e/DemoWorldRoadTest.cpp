// The demo's whole road, as a player walks it through the real page: the demo's world
// (tools/demo-world: the sample installation at 1.0.0, the update server announcing
// 1.0.2 on nginx, a tracker, an aria2c peer, all in one private network) runs the real
// Launcher.exe with the page driver preloaded. Install brings the installation to 1.0.2
// file for file through the sample applier, which starts the launcher again; a file
// damaged then is repaired byte for byte, and Play starts the sample game. Pictures of
// each state are saved under the build folder as e2e-demo-*.png.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>

#include "platform/process/EnvironmentBlock.h"
#include "platform/process/ProcessSpawn.h"
#include "shell/LauncherOnDisplay.h"
#include "support/PageDriver.h"
#include "support/PrivateXvfb.h"
#include "support/ProcessScan.h"
#include "support/RequiredEnvironment.h"
#include "support/ScopedTempFolder.h"
#include "support/RunTool.h"

namespace fs = std::filesystem;

namespace {

// Generous bounds: the patches travel over a rate-limited web seed and a peer, and the
// road must also pass on a loaded machine and under ASan.
constexpr int kStartMs = 60000;
constexpr int kDownloadMs = 180000;
constexpr int kStepMs = 30000;
const char* const kRoadPrograms[] = {"bin/Launcher.exe", "bin/VaraRurezod.exe", "bin/ZIrira.exe"};

bool WaitForFile(const std::string& path, int boundMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
    while (!fs::exists(path) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return fs::exists(path);
}

// The files of the tree, relative to it.
std::vector<std::string> FilesOf(const std::string& root) {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file()) files.push_back(fs::relative(entry.path(), root).generic_string());
    return files;
}

class DemoWorldRoad : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"nginx", "opentracker", "aria2c", "unshare"}) {
            if (FindExecutableInPath(tool).empty() && !fs::exists(std::string("/usr/sbin/") + tool)) {
                problem = std::string("no ") + tool;
                return;
            }
        }
        if (!xvfb.Start() || !(display = XOpenDisplay(xvfb.Display().c_str()))) {
            problem = "no Xvfb";
            return;
        }
        if (!RunTool({LAUNCHER_SOURCE_DIR "/tools/demo-world/demo-world", "prepare", LAUNCHER_BUILD_DIR, world.Path()},
                     180000)) {
            problem = "demo-world prepare failed";
            return;
        }
        // The world's launcher inherits this environment, the page driver's among it.
        PrepareLauncherEnvironment(world.Path(), xvfb.Display());
        EnvironmentBlock environment = EnvironmentBlock::Inherited();
        for (const std::string& entry : PageDriver::LauncherEnvironment(PAGE_DRIVER_AGENT_PATH, world / "driver.sock")) {
            const std::size_t equals = entry.find('=');
            environment.Set(entry.substr(0, equals), entry.substr(equals + 1));
        }
        const std::string demoWorld = LAUNCHER_SOURCE_DIR "/tools/demo-world/demo-world";
        SpawnRequest request{demoWorld,
                             {demoWorld, "run", world.Path(), "--follow", "--", "/bin/sh", "-c",
                              "cd \"$DEMO_GAME/bin\" && exec ./Launcher.exe 2>\"$DEMO_LOGS/launcher.stderr\""},
                             ""};
        request.environment = environment.Entries();
        run = SpawnChild(request);
        if (!run.IsValid()) problem = "demo-world run did not start";
    }

    // The world ends once none of the road's programs is left. A world that does not
    // (a road stopped midway) is ended by its first process, which names the world: its
    // process namespace, servers and all, goes with it, and nothing is left holding the
    // test's output.
    void TearDown() override {
        for (const char* program : kRoadPrograms)
            for (pid_t pid : ProcessesOf(world / ("game/" + std::string(program)))) kill(pid, SIGTERM);
        if (run.IsValid() && run.WaitForExit(20000) != WaitResult::Exited) {
            for (pid_t pid : ProcessesWithArgument(world.Path())) kill(pid, SIGKILL);
            for (const char* program : kRoadPrograms)
                for (pid_t pid : ProcessesOf(world / ("game/" + std::string(program)))) kill(pid, SIGKILL);
            if (run.WaitForExit(10000) != WaitResult::Exited) {
                run.Kill();
                run.WaitForExit(5000);
            }
        }
        if (display) XCloseDisplay(display);
    }

    std::string Game(const std::string& relative) const { return world / ("game/" + relative); }
    std::string Log() const { return ReadAll(Game("Personal/Logs/Launcher.log")); }
    std::string Diagnosis() {
        return driver.error() + "\n" + Log() + ReadAll(Game("Personal/Logs/VaraRurezod.log")) +
               ReadAll(world / "logs/launcher.stderr").substr(0, 4000);
    }

    void Photograph(const std::string& state) {
        const std::string path = LAUNCHER_BUILD_DIR "/e2e-demo-" + state + ".png";
        EXPECT_TRUE(driver.Snapshot(path)) << driver.error();
        std::cout << "screenshot: " << path << std::endl;
    }

    PrivateXvfb xvfb;
    Display* display = nullptr;
    ScopedTempFolder world;
    PageDriver driver{world / "driver.sock"};
    ProcessHandle run;
    std::string problem;
};

TEST_F(DemoWorldRoad, UpdatesToTheAnnouncedVersionRepairsAndPlays) {
    if (!problem.empty()) SKIP_UNLESS_REQUIRED(problem);

    // The road starts by itself and fetches both patches; Install hands them to the
    // applier, which patches and starts the launcher again.
    ASSERT_TRUE(driver.WaitUntil("document.readyState === 'complete'", kStartMs)) << Diagnosis();
    ASSERT_TRUE(driver.WaitForShown("patchInstall", kDownloadMs)) << Diagnosis();
    Photograph("downloaded");
    ASSERT_TRUE(driver.Click("patchInstall")) << Diagnosis();
    ASSERT_TRUE(WaitForFile(Game("Personal/Logs/VaraRurezod.log"), kStepMs)) << Diagnosis();
    ASSERT_TRUE(driver.WaitUntil("document.getElementById('installedVersion').innerText.trim() === '1.0.2'",
                                 kDownloadMs))
        << Diagnosis();
    Photograph("updated");

    // 1.0.2 file for file: every file of its tree, and the pack that 1.0.1 dropped gone.
    const std::string announced = world / "trees/1.0.2";
    for (const std::string& file : FilesOf(announced))
        EXPECT_TRUE(ReadAll(Game(file)) == ReadAll(announced + "/" + file)) << file;
    EXPECT_FALSE(fs::exists(Game("data/Packs/Intro.pak")));
    // The version file is the one the last patch carried.
    EXPECT_TRUE(ReadAll(Game("Profiles/game.version")) == ReadAll(world / "site/Patch_1.0.1-1.0.2/game.version"));

    // A pack damaged afterwards: the check names it, the repair puts it back byte for byte.
    {
        std::fstream pack(Game("data/Packs/Common.pak"), std::ios::in | std::ios::out | std::ios::binary);
        pack.seekp(1000);
        pack.put('\xA5');
    }
    ASSERT_TRUE(driver.WaitForShown("fullCheckRun", kStepMs)) << Diagnosis();
    ASSERT_TRUE(driver.Click("fullCheckRun")) << Diagnosis();
    ASSERT_TRUE(driver.WaitForShown("repairRun", kStepMs)) << Diagnosis();
    EXPECT_NE(driver.Text("damagedFiles").find("Common.pak"), std::string::npos) << driver.Text("damagedFiles");
    Photograph("damaged");
    ASSERT_TRUE(driver.Click("repairRun")) << Diagnosis();
    ASSERT_TRUE(WaitForText(Game("Personal/Logs/Launcher.log"), "page event Repair.OnSuccess", kDownloadMs))
        << Diagnosis();
    EXPECT_TRUE(ReadAll(Game("data/Packs/Common.pak")) == ReadAll(announced + "/data/Packs/Common.pak"));
    Photograph("repaired");

    // Play starts the sample game.
    if (driver.IsShown("gamePassword")) EXPECT_TRUE(driver.Fill("gamePassword", "secret")) << Diagnosis();
    ASSERT_TRUE(driver.Click("gamePlay")) << Diagnosis();
    ASSERT_TRUE(WaitForText(Game("Personal/Logs/Launcher.log"), "page event Game.OnRun", kStepMs)) << Diagnosis();
    EXPECT_FALSE(ProcessesOf(Game("bin/ZIrira.exe")).empty());
    Photograph("playing");
    EXPECT_TRUE(SaveScreenshot(display, "e2e-demo-screen-playing.png"));

    // The window's exit button ends the launcher; the world ends with the game.
    ASSERT_TRUE(driver.Click("exit")) << Diagnosis();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStepMs);
    while (!ProcessesOf(Game("bin/Launcher.exe")).empty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(ProcessesOf(Game("bin/Launcher.exe")).empty());
    for (pid_t pid : ProcessesOf(Game("bin/ZIrira.exe"))) kill(pid, SIGTERM);
    int code = -1;
    EXPECT_EQ(run.WaitForExit(kStepMs, &code), WaitResult::Exited);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(Log().find("script error"), std::string::npos) << Log();
}

}  // namespace
