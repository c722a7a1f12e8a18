#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "platform/process/ProcessHandle.h"
#include "platform/process/ProcessSpawn.h"
#include "shell/CapturingSink.h"
#include "shell/SingleInstance.h"
#include "support/AnotherUser.h"
#include "support/GameTree.h"
#include "support/RequiredEnvironment.h"

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

TEST(SingleInstance, ALockAnotherUserControlsEndsTheStartWithAMessageNamingWhatToRemove) {
    if (!CanActAsAnotherUser()) SKIP_UNLESS_REQUIRED("only root can leave files of another user");
    CapturingSink sink;
    SetMessageSink(&sink);
    {
        PrivateRuntimeFolder runtime;
        EXPECT_EQ(InstanceSocketPath(), runtime.folder / "LauncherMapFile.sock");
        const std::string lockFile = runtime.folder / "Global_Launcher.lock";
        const int fd = open(lockFile.c_str(), O_CREAT | O_RDWR, 0644);
        ASSERT_TRUE(fd >= 0 && GiveToAnotherUser(fd));
        close(fd);
        EXPECT_EQ(TakeSingleInstance(), nullptr);
        ASSERT_EQ(sink.shown.size(), 1u);
        EXPECT_EQ(sink.shown[0].first, "Launcher.exe");
        EXPECT_NE(sink.shown[0].second.find(lockFile), std::string::npos) << sink.shown[0].second;
        // A second launcher neither races nor hands over.
        const std::string out = runtime.folder / "outcome";
        const pid_t later = SpawnProcess({INSTANCE_RACER_PATH, {"racer", out, "20000"}, ""});
        int code = -1;
        ASSERT_TRUE(RunToEnd(later, 30000, &code));
        EXPECT_EQ(Outcome(out), "refused");
    }
    // Without a runtime folder, the folder in /tmp another user made first.
    sink.shown.clear();
    const std::string tmpFolder = "/tmp/brennic-" + std::to_string(geteuid());
    const int failed = RunWithPrivateTmp([&] {
        unsetenv("XDG_RUNTIME_DIR");
        if (mkdir(tmpFolder.c_str(), 0700) != 0 || !GiveToAnotherUser(tmpFolder)) return 1;
        if (TakeSingleInstance() != nullptr) return 2;
        if (sink.shown.size() != 1 || sink.shown[0].second.find(tmpFolder) == std::string::npos) return 3;
        if (!InstanceSocketPath().empty()) return 4;
        return 0;
    });
    SetMessageSink(nullptr);
    ASSERT_NE(failed, -1) << "no private /tmp";
    EXPECT_EQ(failed, 0) << "check " << failed << " failed";
}

}  // namespace
