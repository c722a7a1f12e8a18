#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "platform/process/ProcessHandle.h"
#include "platform/process/ProcessSpawn.h"
#include "shell/SingleInstance.h"
#include "support/GameTree.h"

namespace {

// Children inherit this runtime folder, so their lock and socket are the test's own.
struct PrivateRuntimeFolder {
    ScopedTempFolder folder;
    PrivateRuntimeFolder() { setenv("XDG_RUNTIME_DIR", folder.Path().c_str(), 1); }
    ~PrivateRuntimeFolder() { unsetenv("XDG_RUNTIME_DIR"); }
};

std::string Outcome(const std::string& path) {
    std::string text;
    ReadWholeFile(path, text);
    return text;
}

bool RunToEnd(pid_t pid, int timeoutMs, int* exitCode) {
    ProcessHandle child = ProcessHandle::Open(pid);
    return child.WaitForExit(timeoutMs, exitCode) == WaitResult::Exited;
}

TEST(SingleInstance, OfTwoRacingLaunchersTheLoserRaisesTheWinnerAndEnds) {
    PrivateRuntimeFolder runtime;
    const std::string a = runtime.folder / "a", b = runtime.folder / "b";
    const pid_t first = SpawnProcess({INSTANCE_RACER_PATH, {"racer", a, "20000"}, ""});
    const pid_t second = SpawnProcess({INSTANCE_RACER_PATH, {"racer", b, "20000"}, ""});
    ASSERT_GT(first, 0);
    ASSERT_GT(second, 0);
    int codeA = -1, codeB = -1;
    ASSERT_TRUE(RunToEnd(first, 30000, &codeA));
    ASSERT_TRUE(RunToEnd(second, 30000, &codeB));
    EXPECT_EQ(codeA, 0);
    EXPECT_EQ(codeB, 0);
    EXPECT_EQ((std::multiset<std::string>{Outcome(a), Outcome(b)}),
              (std::multiset<std::string>{"raised", "handed over"}));
}

TEST(SingleInstance, ALaterStartFindingNoWindowJustEnds) {
    PrivateRuntimeFolder runtime;
    // This process holds the mutex but never listens: its window does not exist yet.
    NamedMutex holder(kInstanceMutexName, 0, 0);
    ASSERT_TRUE(holder.IsOwned());
    const std::string out = runtime.folder / "late";
    const pid_t late = SpawnProcess({INSTANCE_RACER_PATH, {"racer", out, "20000"}, ""});
    int code = -1;
    ASSERT_TRUE(RunToEnd(late, 30000, &code));
    EXPECT_EQ(Outcome(out), "no one to raise");
}

}  // namespace
