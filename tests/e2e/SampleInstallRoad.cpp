#include "e2e/SampleInstallRoad.h"

#include <sched.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <thread>

#include "platform/process/ProcessSpawn.h"
#include "shell/LauncherOnDisplay.h"
#include "support/ProcessScan.h"
#include "support/RunTool.h"

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

// Files of the player's that no version file lists.
const char* const kPlayerFiles[] = {"Personal/Global.cfg"};

}  // namespace

void SampleInstallRoad::SetUp() {
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
    fs::create_directories(work / "site");
    server = std::make_unique<LoopbackHttpServer>();
    server->ServeFolder(work / "site");
    std::ofstream(tree / "Profiles/Launcher.cfg")
        << "hostIP = \"127.0.0.1\"\nhostPort = " << server->Port() << "\nhostPath = \"/\"\nhostType = \"http\"\n";
    if (!WriteVersionFile(tree.Root(), tree / "Profiles/game.version", "1.0.0")) {
        problem = "the version writer failed";
        return;
    }
    // The launcher's own files, which a repair checks too and a reinstall installs.
    fs::create_directories(launcherTree);
    fs::copy_file(LAUNCHER_EXE_PATH, launcherTree + "/Launcher.exe");
}

void SampleInstallRoad::TearDown() {
    if (!gameName.empty())
        for (pid_t pid : ProcessesOf(gameName)) kill(pid, SIGTERM);
    if (launcher.IsValid()) WaitForLauncherExit(launcher, 0);
    // A launcher that the patch applier started again is no child of the test's.
    for (pid_t pid : ProcessesOf(tree / "bin/Launcher.exe")) kill(pid, SIGTERM);
    if (display) XCloseDisplay(display);
}

bool SampleInstallRoad::WriteVersionFile(const std::string& root, const std::string& out,
                                         const std::string& version) {
    std::vector<std::string> writer = {VERSION_WRITER_PATH, "--root", root, "--out", out, "--version", version};
    for (const char* file : kPlayerFiles) writer.insert(writer.end(), {"--exclude", file});
    for (const std::string& option : VersionFileOptions()) writer.push_back(option);
    return RunTool(writer);
}

std::string SampleInstallRoad::Snapshot(const std::string& version) {
    const std::string copy = work / ("trees/" + version);
    fs::create_directories(copy);
    fs::copy(tree.Root(), copy, fs::copy_options::recursive);
    return copy;
}

bool SampleInstallRoad::Publish(const std::vector<std::string>& options) {
    std::vector<std::string> argv = {UPDATE_PUBLISHER_PATH, "--out", work / "site", "--launcher-tree",
                                     launcherTree, "--web-seed", server->BaseUrl()};
    for (const char* file : kPlayerFiles) argv.insert(argv.end(), {"--exclude", file});
    argv.insert(argv.end(), options.begin(), options.end());
    return RunTool(argv);
}

bool SampleInstallRoad::Announce(const std::vector<std::string>& options) {
    const std::string other = work / "announced";
    std::vector<std::string> argv = {UPDATE_PUBLISHER_PATH, "--out", other};
    for (const char* file : kPlayerFiles) argv.insert(argv.end(), {"--exclude", file});
    argv.insert(argv.end(), options.begin(), options.end());
    if (!RunTool(argv)) return false;
    std::error_code error;
    fs::copy_file(other + "/CurrentVersion.xdb", work / "site/CurrentVersion.xdb",
                  fs::copy_options::overwrite_existing, error);
    return !error;
}

bool SampleInstallRoad::StartTheLauncher(const std::vector<std::string>& extraEnvironment) {
    std::vector<std::string> environment = PageDriver::LauncherEnvironment(PAGE_DRIVER_AGENT_PATH, session / "driver.sock");
    environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());
    launcher = StartLauncherAt(session, tree / "bin/Launcher.exe", xvfb.Display(), {}, "", environment, false);
    if (!launcher.IsValid()) problem = "the launcher did not start";
    return launcher.IsValid();
}

void SampleInstallRoad::ExitTheLauncher() {
    ASSERT_TRUE(driver.Click("exit")) << Diagnosis();
    EXPECT_EQ(WaitForLauncherExit(launcher, kStepMs), 0) << Diagnosis();
}

std::string SampleInstallRoad::Log() const { return ReadAll(LogPath()); }

std::string SampleInstallRoad::Diagnosis() {
    return driver.error() + "\n" + Log() + ReadAll(session / "stderr").substr(0, 4000);
}

void SampleInstallRoad::Photograph(const std::string& state) {
    const std::string path = LAUNCHER_BUILD_DIR "/e2e-" + state + ".png";
    EXPECT_TRUE(driver.Snapshot(path)) << driver.error();
    std::cout << "screenshot: " << path << std::endl;
}

bool SampleInstallRoad::ClickSelector(const std::string& selector) {
    std::string value;
    return driver.Eval("(function(){var e=document.querySelector(" + ScriptString(selector) +
                           ");if(!e)return false;e.click();return true;})()",
                       value) &&
           value == "true";
}

bool SampleInstallRoad::WaitForTextKey(const std::string& id, const std::string& key, int boundMs) {
    return driver.WaitUntil("(function(){var e=document.getElementById(" + ScriptString(id) +
                                ");return !!e&&e.getAttribute('data-text')===" + ScriptString(key) + ";})()",
                            boundMs);
}

std::uint64_t SampleInstallRoad::PayloadServedUnder(const std::string& folder) const {
    std::uint64_t served = 0;
    const std::string root = work / ("site/" + folder);
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            served += server->PayloadBytesServed("/" + folder + "/" + fs::relative(entry.path(), root).generic_string());
    return served;
}
