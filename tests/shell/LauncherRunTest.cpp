#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

#include "platform/process/ProcessHandle.h"
#include "platform/process/ProcessSpawn.h"
#include "support/GameTree.h"

namespace {

// Runs a copy of the real program at path with its stderr in a file.
int RunLauncher(const std::string& path, const std::vector<std::string>& args, const std::string& errFile) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::filesystem::copy_file(LAUNCHER_EXE_PATH, path, std::filesystem::copy_options::overwrite_existing);
    std::vector<std::string> argv = {path};
    argv.insert(argv.end(), args.begin(), args.end());
    // The child's stderr goes to the file for the duration of the spawn.
    const int saved = dup(2);
    const int err = open(errFile.c_str(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0600);
    dup2(err, 2);
    const pid_t pid = SpawnProcess({path, argv, "/"});
    dup2(saved, 2);
    close(saved);
    close(err);
    ProcessHandle child = ProcessHandle::Open(pid);
    int code = -1;
    if (child.WaitForExit(30000, &code) != WaitResult::Exited) {
        child.Kill();
        child.WaitForExit(10000);
        return -1;
    }
    return code;
}

struct LauncherRun : ::testing::Test {
    GameTree tree;
    void SetUp() override {
        setenv("XDG_RUNTIME_DIR", tree.Root().c_str(), 1);
        // These runs check the start-up itself: no window, even on a desktop.
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        // Nor the machine's own firewall service.
        setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + (tree / "no-system-bus")).c_str(), 1);
    }
    void TearDown() override { unsetenv("XDG_RUNTIME_DIR"); }
    std::string Stderr() const {
        std::string text;
        ReadWholeFile(tree / "stderr", text);
        return text;
    }
};

TEST_F(LauncherRun, FromItsBinFolderRunsThroughAndEndsWithZero) {
    WriteWholeFile(tree / "Profiles/Launcher.cfg", "hostIP = \"127.0.0.1\"\nhostPort = 8090\n");
    EXPECT_EQ(RunLauncher(tree / "BIN/Launcher.exe", {"-authkey", "k"}, tree / "stderr"), 0);
    EXPECT_TRUE(std::filesystem::is_directory(tree / "Patches"));
    EXPECT_NE(Stderr().find("127.0.0.1:8090"), std::string::npos) << Stderr();
}

TEST_F(LauncherRun, OutsideABinFolderItEndsQuietlyUnlessUpdating) {
    EXPECT_EQ(RunLauncher(tree / "Other/Launcher.exe", {}, tree / "stderr"), 0);
    EXPECT_EQ(Stderr(), "");
    EXPECT_EQ(RunLauncher(tree / "Other/Launcher.exe", {"-update", tree.Root()}, tree / "stderr"), 0);
    EXPECT_NE(Stderr().find("Launcher.exe"), std::string::npos);
}

}  // namespace
