// Children as the game start needs them: an environment of their own that ours never
// sees, a status that tells a crash from an exit, and reaping of the ones nobody waits for.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>

#include "platform/process/ChildReaper.h"
#include "platform/process/EnvironmentBlock.h"
#include "platform/process/ProcessSpawn.h"
#include "support/ArgvRecord.h"
#include "support/MainContextPump.h"
#include "support/ScopedTempFolder.h"

namespace {

// Polls (in real time: the child runs on its own) until it has ended; bounded.
ProcessState PollUntilEnded(ProcessHandle& child) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    ProcessState state = child.Poll();
    while (state == ProcessState::Running && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        state = child.Poll();
    }
    return state;
}

// The process's state letter in /proc ('Z' for a zombie); ' ' once it is gone.
char ProcState(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const std::size_t close = text.rfind(')');
    return close != std::string::npos && close + 2 < text.size() ? text[close + 2] : ' ';
}

ProcessHandle Shell(const std::string& script) { return SpawnChild({"/bin/sh", {"sh", "-c", script}, ""}); }

}  // namespace

TEST(EnvironmentBlock, ChangesOnlyItsCopyAndRefusesWhatCannotBeHandedOn) {
    setenv("LAUNCHER_TEST_INHERITED", "ours", 1);
    EnvironmentBlock block = EnvironmentBlock::Inherited();
    EXPECT_EQ(block.Get("LAUNCHER_TEST_INHERITED"), "ours");
    EXPECT_TRUE(block.Set("LAUNCHER_TEST_INHERITED", "child's = value"));
    EXPECT_TRUE(block.Set("LAUNCHER_TEST_NEW", ""));
    block.Remove("LAUNCHER_TEST_NEW");
    EXPECT_EQ(block.Get("LAUNCHER_TEST_INHERITED"), "child's = value");
    EXPECT_EQ(std::count(block.Entries().begin(), block.Entries().end(), "LAUNCHER_TEST_INHERITED=child's = value"), 1);
    EXPECT_FALSE(FindVariable(block.Entries(), "LAUNCHER_TEST_NEW"));
    // A prefix of a name is another name.
    EXPECT_TRUE(block.Set("LAUNCHER_TEST", "short"));
    EXPECT_EQ(block.Get("LAUNCHER_TEST_INHERITED"), "child's = value");

    EXPECT_FALSE(block.Set("", "x"));
    EXPECT_FALSE(block.Set("A=B", "x"));
    EXPECT_FALSE(block.Set(std::string("A\0B", 3), "x"));
    EXPECT_FALSE(block.Set("A", std::string("x\0y", 3)));
    EXPECT_STREQ(std::getenv("LAUNCHER_TEST_INHERITED"), "ours");
    unsetenv("LAUNCHER_TEST_INHERITED");
}

TEST(SpawnChild, GivesTheChildExactlyItsOwnEnvironment) {
    ScopedTempFolder temp;
    SpawnRequest request{ARGV_RECORDER_PATH, {}, ""};
    request.environment = std::vector<std::string>{"ARGV_RECORDER_ENV_OUT=" + (temp / "env"), "SECRET=for the child"};
    ProcessHandle child = SpawnChild(request);
    ASSERT_TRUE(child.IsValid());
    ASSERT_EQ(PollUntilEnded(child), ProcessState::Ended);
    std::vector<std::string> entries;
    ASSERT_TRUE(WaitForEnvironmentRecord(temp / "env", 1000, entries));
    EXPECT_EQ(entries, request.environment);
    EXPECT_EQ(std::getenv("SECRET"), nullptr);
}

TEST(SpawnChild, TellsExitsCrashesAndFailedStartsApart) {
    const struct {
        const char* script;
        bool bySignal;
        int value;
        bool crash;
    } cases[] = {
        {"exit 0", false, 0, false},
        {"exit 3", false, 3, false},
        {"exit 127", false, 127, true},  // what the loader reports for a program it cannot run
        {"kill -SEGV $$", true, SIGSEGV, true},
        {"kill -ABRT $$", true, SIGABRT, true},
        {"kill -KILL $$", true, SIGKILL, true},
    };
    for (const auto& c : cases) {
        ProcessHandle child = Shell(c.script);
        ASSERT_TRUE(child.IsValid()) << c.script;
        EXPECT_EQ(child.EndedStatus(), nullptr);
        ASSERT_EQ(PollUntilEnded(child), ProcessState::Ended) << c.script;
        const ExitStatus* status = child.EndedStatus();
        ASSERT_NE(status, nullptr) << c.script;
        EXPECT_EQ(status->bySignal, c.bySignal) << c.script;
        EXPECT_EQ(status->value, c.value) << c.script;
        EXPECT_EQ(status->IsCrash(), c.crash) << c.script;
        // Reaped once; the status stays for every later question.
        EXPECT_EQ(ProcState(child.Pid()), ' ') << c.script;
        EXPECT_EQ(child.Poll(), ProcessState::Ended);
        int code = -1;
        EXPECT_EQ(child.WaitForExit(0, &code), WaitResult::Exited);
        EXPECT_EQ(code, status->ShellCode());
    }

    ScopedTempFolder temp;
    errno = 0;
    EXPECT_FALSE(SpawnChild({temp / "ZIrira.exe", {}, ""}).IsValid());
    EXPECT_EQ(errno, ENOENT);
}

TEST(ReapWhenEnded, TheMainLoopReapsAChildNobodyWaitsFor) {
    ProcessHandle child = Shell("sleep 0.2");
    ASSERT_TRUE(child.IsValid());
    const pid_t pid = child.Pid();
    ReapWhenEnded(std::move(child));
    EXPECT_FALSE(child.IsValid());
    EXPECT_NE(ProcState(pid), ' ');
    // The child ends in real time; the loop is turned until it has been reaped.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (ProcState(pid) != ' ' && std::chrono::steady_clock::now() < deadline) {
        PumpPending();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(ProcState(pid), ' ') << "still there as '" << ProcState(pid) << "'";

    // One that has already ended is reaped at once.
    ProcessHandle quick = Shell("exit 0");
    const pid_t quickPid = quick.Pid();
    while (ProcState(quickPid) != 'Z' && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ReapWhenEnded(std::move(quick));
    EXPECT_EQ(ProcState(quickPid), ' ');
}
