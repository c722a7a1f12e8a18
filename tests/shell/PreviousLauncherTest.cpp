#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>

#include "base/runtime/StrUtil.h"
#include "platform/process/ProcessHandle.h"
#include "platform/process/ProcessSpawn.h"
#include "shell/PreviousLauncher.h"
#include "support/ScopedTempFolder.h"

namespace {

TEST(IsStartedByPreviousLauncher, NeedsTheSameNameAndWithASwitchAParentInsideCmdPath) {
    struct Case {
        bool update;
        const char* cmdPath;
        const char* parent;
        bool wait;
    };
    const char* own = "/games/Game/bin/Launcher.exe";
    const Case cases[] = {
        {false, "", "/usr/bin/bash", false},
        {false, "", "/tmp/Upd/bin/Launcher.exe", true},           // same file name
        {false, "", "/tmp/Upd/bin/launcher.exe", false},          // names compare case-sensitively
        {true, "/games/Game", "/games/Game/bin/Launcher.exe", true},
        {true, "/games/Game/", "/games/Game/bin/Launcher.exe", true},
        {true, "/games/Game/", "/games/Game/bin/Old.exe", false},      // another program under the path
        {true, "/home/p", "/home/p/.local/bin/nautilus", false},       // a file manager under the home folder
        {true, "/home/p", "/usr/bin/Launcher.exe", false},             // the launcher's name, elsewhere
        {true, "/games/Game", "/games/GameOther/bin/Launcher.exe", false},  // a prefix, not a folder
        {true, "", "/usr/bin/bash", false},                       // empty cmdPath matches nothing
        {true, "/", "/usr/bin/nautilus", false},                  // nor does the root alone
        {true, "/", "/opt/Launcher.exe", false},
        {true, "Game", "/games/Game/bin/Launcher.exe", false},    // inside, not somewhere in the middle
        {true, "/games/Game", "", false},                         // unreadable parent
    };
    for (const Case& c : cases) {
        RefPtr<AppParams> params(new AppParams);
        params->update = c.update;
        params->cmdPath = StrUtil::ToWide(String(c.cmdPath));
        EXPECT_EQ(IsStartedByPreviousLauncher(*params, own, c.parent), c.wait) << c.cmdPath << " " << c.parent;
    }
}

// The parent is a real process; which process counts as the parent is the test's choice.
struct FakeParent : IProcessQuery {
    pid_t pid = -1;
    std::string OwnExecutablePath() override { return "/games/Game/bin/Launcher.exe"; }
    pid_t ParentProcessId() override { return pid; }
    std::string ProcessImagePath(pid_t p) override { return SystemProcessQuery().ProcessImagePath(p); }
};

// A copy of the stand-in program under the name, running for lingerMs.
pid_t StartOldLauncher(const ScopedTempFolder& temp, int lingerMs, const std::string& name = "Launcher.exe") {
    const std::string copy = temp / name;
    std::filesystem::create_directories(std::filesystem::path(copy).parent_path());
    std::filesystem::copy_file(ARGV_RECORDER_PATH, copy, std::filesystem::copy_options::overwrite_existing);
    setenv("ARGV_RECORDER_LINGER_MS", std::to_string(lingerMs).c_str(), 1);
    const pid_t pid = SpawnProcess({copy, {}, ""});
    unsetenv("ARGV_RECORDER_LINGER_MS");
    return pid;
}

// The parent, still running past the limit, is ended for good.
void ExpectEndedPastTheLimit(const AppParams& params, FakeParent& query, int limitMs) {
    ProcessHandle stubborn = ProcessHandle::Open(query.pid);
    EXPECT_EQ(WaitForPreviousLauncher(params, query, limitMs), PreviousLauncherOutcome::Killed);
    int exitCode = -1;
    ASSERT_EQ(stubborn.WaitForExit(10000, &exitCode), WaitResult::Exited);
    EXPECT_EQ(exitCode, 128 + SIGKILL);
}

// The parent is not waited for and still runs; the test ends it.
void ExpectLeftAlone(const AppParams& params, FakeParent& query) {
    ProcessHandle parent = ProcessHandle::Open(query.pid);
    EXPECT_EQ(WaitForPreviousLauncher(params, query, 100), PreviousLauncherOutcome::NotWaited);
    EXPECT_EQ(parent.WaitForExit(0), WaitResult::TimedOut) << "the parent was ended";
    parent.Kill();
    parent.WaitForExit(10000);
}

TEST(WaitForPreviousLauncher, WaitsForAnOldLauncherAndEndsItPastTheLimit) {
    ScopedTempFolder temp;
    RefPtr<AppParams> params(new AppParams);
    FakeParent query;

    query.pid = StartOldLauncher(temp, 60000);
    ASSERT_GT(query.pid, 0);
    ExpectEndedPastTheLimit(*params, query, 200);

    query.pid = StartOldLauncher(temp, 50);
    // One that ends by itself is waited for (and, being our child here, reaped) without harm.
    EXPECT_EQ(WaitForPreviousLauncher(*params, query, 10000), PreviousLauncherOutcome::Ended);
}

TEST(WaitForPreviousLauncher, LeavesAnUnrelatedParentAlone) {
    ScopedTempFolder temp;
    FakeParent query;
    query.pid = StartOldLauncher(temp, 60000, "bash");
    ASSERT_GT(query.pid, 0);
    RefPtr<AppParams> params(new AppParams);
    params->update = true;  // "-update -authkey k": cmdPath stays empty
    ExpectLeftAlone(*params, query);
}

// "/update" or "/reinstall" name the installation, which may be any folder: a shell or
// a file manager that runs from under it and started the launcher is not waited for,
// let alone ended; the installation's own launcher is.
TEST(WaitForPreviousLauncher, WithAnInstallationSwitchOnlyItsLauncherCounts) {
    ScopedTempFolder temp;
    RefPtr<AppParams> params(new AppParams);
    params->update = true;
    params->cmdPath = StrUtil::ToWide(String(temp.Path().c_str()));
    FakeParent query;

    query.pid = StartOldLauncher(temp, 60000, "bin/nautilus");
    ASSERT_GT(query.pid, 0);
    ExpectLeftAlone(*params, query);  // the file manager

    query.pid = StartOldLauncher(temp, 60000, "bin/Launcher.exe");
    ASSERT_GT(query.pid, 0);
    ExpectEndedPastTheLimit(*params, query, 100);
}

}  // namespace
