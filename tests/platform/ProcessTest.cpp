#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

#include "platform/process/ProcessHandle.h"
#include "platform/process/ProcessInfo.h"
#include "platform/process/ProcessSpawn.h"
#include "support/ArgvRecord.h"
#include "support/ScopedTempFolder.h"

namespace {

// The recorder's behaviour is set through the environment the child inherits.
struct RecorderEnvironment {
    RecorderEnvironment(const std::string& out, int lingerMs, int exitCode) {
        setenv("ARGV_RECORDER_OUT", out.c_str(), 1);
        setenv("ARGV_RECORDER_LINGER_MS", std::to_string(lingerMs).c_str(), 1);
        setenv("ARGV_RECORDER_EXIT", std::to_string(exitCode).c_str(), 1);
    }
    ~RecorderEnvironment() {
        unsetenv("ARGV_RECORDER_OUT");
        unsetenv("ARGV_RECORDER_LINGER_MS");
        unsetenv("ARGV_RECORDER_EXIT");
    }
};

TEST(SpawnProcess, PassesArgvUntouchedAndStartsInTheWorkingFolder) {
    ScopedTempFolder temp;
    const std::string work = temp / "work dir";
    std::filesystem::create_directories(work);
    RecorderEnvironment environment(temp / "record", 0, 7);
    // Blanks, quotes, a leading '/' and an empty argument stay single arguments.
    const std::vector<std::string> argv = {"recorder", "-authkey", "a b\"c", "/home/x/Game", "", "; rm -rf ~"};
    const pid_t pid = SpawnProcess({ARGV_RECORDER_PATH, argv, work});
    ASSERT_GT(pid, 0);
    ProcessHandle child = ProcessHandle::Open(pid);
    ASSERT_TRUE(child.IsValid());
    int exitCode = -1;
    ASSERT_EQ(child.WaitForExit(10000, &exitCode), WaitResult::Exited);
    EXPECT_EQ(exitCode, 7);
    ASSERT_NE(child.EndedStatus(), nullptr);
    EXPECT_FALSE(child.EndedStatus()->bySignal);

    ArgvRecord record;
    ASSERT_TRUE(WaitForArgvRecord(temp / "record", 1000, record));
    EXPECT_EQ(record.workingDir, std::filesystem::canonical(work).string());
    EXPECT_EQ(record.argv, argv);
}

TEST(SpawnProcess, ResolvesARelativeProgramInTheWorkingFolderAndReportsAMissingOne) {
    ScopedTempFolder temp;
    std::filesystem::copy_file(ARGV_RECORDER_PATH, temp / "VaraRurezod.exe");
    RecorderEnvironment environment(temp / "record", 0, 0);
    const pid_t pid = SpawnProcess({"./VaraRurezod.exe", {"./VaraRurezod.exe", "x"}, temp.Path()});
    ASSERT_GT(pid, 0);
    ProcessHandle child = ProcessHandle::Open(pid);
    ASSERT_EQ(child.WaitForExit(10000), WaitResult::Exited);
    ArgvRecord record;
    ASSERT_TRUE(WaitForArgvRecord(temp / "record", 1000, record));
    EXPECT_EQ(record.argv, (std::vector<std::string>{"./VaraRurezod.exe", "x"}));

    EXPECT_EQ(SpawnProcess({temp / "missing.exe", {}, ""}), -1);
    EXPECT_EQ(SpawnProcess({ARGV_RECORDER_PATH, {}, temp / "no such folder"}), -1);
}

TEST(SpawnProcess, ChildInheritsNoDescriptorOfOurs) {
    ScopedTempFolder temp;
    // A descriptor opened without O_CLOEXEC, as a careless library would.
    const int leaky = open((temp / "held").c_str(), O_CREAT | O_RDWR, 0600);
    ASSERT_GE(leaky, 0);
    RecorderEnvironment environment(temp / "record", 0, 0);
    const std::string fdPath = "/proc/self/fd/" + std::to_string(leaky);
    const pid_t pid = SpawnProcess({"/bin/sh", {"sh", "-c", "test -e " + fdPath}, ""});
    ASSERT_GT(pid, 0);
    ProcessHandle child = ProcessHandle::Open(pid);
    int exitCode = -1;
    ASSERT_EQ(child.WaitForExit(10000, &exitCode), WaitResult::Exited);
    EXPECT_EQ(exitCode, 1);
    close(leaky);
}

TEST(ProcessHandle, TimesOutOnALivingProcessAndEndsIt) {
    ScopedTempFolder temp;
    RecorderEnvironment environment(temp / "record", 60000, 0);
    const pid_t pid = SpawnProcess({ARGV_RECORDER_PATH, {}, ""});
    ASSERT_GT(pid, 0);
    ProcessHandle child = ProcessHandle::Open(pid);
    ASSERT_TRUE(child.IsValid());
    EXPECT_EQ(child.WaitForExit(50), WaitResult::TimedOut);
    ASSERT_TRUE(child.Kill());
    int exitCode = -1;
    ASSERT_EQ(child.WaitForExit(10000, &exitCode), WaitResult::Exited);
    EXPECT_EQ(exitCode, 128 + SIGKILL);
    ASSERT_NE(child.EndedStatus(), nullptr);
    EXPECT_TRUE(child.EndedStatus()->bySignal);
}

TEST(ProcessHandle, RefusesProcessesThatDoNotExist) {
    EXPECT_FALSE(ProcessHandle::Open(0).IsValid());
    EXPECT_FALSE(ProcessHandle::Open(-1).IsValid());
    ProcessHandle none;
    EXPECT_EQ(none.WaitForExit(0), WaitResult::Failed);
    EXPECT_FALSE(none.Kill());
}

TEST(ProcessInfo, ReadsOwnAndParentImagesAndStripsTheDeletedSuffix) {
    EXPECT_EQ(GetOwnExecutablePath(), std::filesystem::canonical("/proc/self/exe").string());
    EXPECT_EQ(GetParentProcessId(), getppid());
    std::string path;
    EXPECT_FALSE(GetProcessImagePath(-1, path));

    // A running program whose file was removed still names its old path.
    ScopedTempFolder temp;
    const std::string copy = temp / "Launcher.exe";
    std::filesystem::copy_file(ARGV_RECORDER_PATH, copy);
    RecorderEnvironment environment(temp / "record", 60000, 0);
    const pid_t pid = SpawnProcess({copy, {}, ""});
    ASSERT_GT(pid, 0);
    ProcessHandle child = ProcessHandle::Open(pid);
    ArgvRecord record;
    ASSERT_TRUE(WaitForArgvRecord(temp / "record", 10000, record));  // it has exec'd by now
    std::filesystem::remove(copy);
    ASSERT_TRUE(GetProcessImagePath(pid, path));
    EXPECT_EQ(path, copy);
    child.Kill();
    child.WaitForExit(10000);
}

}  // namespace
