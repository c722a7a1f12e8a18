#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>

#include "base/runtime/NamedMutex.h"
#include "support/AnotherUser.h"
#include "support/HoldingChild.h"
#include "support/RequiredEnvironment.h"
#include "support/ScopedTempFolder.h"

namespace {

std::string UniqueName() {
    static int counter = 0;
    return "Global\\LauncherTest-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
}

// Reads one value the child sends, waiting at most five seconds.
template <class T>
bool ReadFromChild(int fd, T& value) {
    pollfd ready{fd, POLLIN, 0};
    if (poll(&ready, 1, 5000) != 1) return false;
    return read(fd, &value, sizeof value) == static_cast<ssize_t>(sizeof value);
}

bool WaitForExit(pid_t pid) {
    int code = -1;
    return WaitForChildExit(pid, code) && code == 0;
}

// Keeps the lock files of a test in a folder of its own, removed afterwards.
class NamedMutexTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* saved = std::getenv("XDG_RUNTIME_DIR");
        hadRuntimeDir_ = saved != nullptr;
        if (saved) previous_ = saved;
        setenv("XDG_RUNTIME_DIR", runtimeDir_.Path().c_str(), 1);
    }
    void TearDown() override {
        if (hadRuntimeDir_) {
            setenv("XDG_RUNTIME_DIR", previous_.c_str(), 1);
        } else {
            unsetenv("XDG_RUNTIME_DIR");
        }
    }

private:
    ScopedTempFolder runtimeDir_;
    bool hadRuntimeDir_ = false;
    std::string previous_;
};

TEST_F(NamedMutexTest, BusyWhileAnotherProcessHoldsIt) {
    const std::string name = UniqueName();
    // Another process takes the mutex; it keeps it until released (never destroyed there).
    HoldingChild holder([&] { return (new NamedMutex(name.c_str(), 0, 0))->IsOwned(); });
    ASSERT_TRUE(holder.Holds());

    const auto start = std::chrono::steady_clock::now();
    NamedMutex busy(name.c_str(), 500, 2);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(busy.IsOwned());
    EXPECT_EQ(busy.Handle(), -1);
    EXPECT_TRUE(busy.AlreadyExists());
    // Three tries with a wait after each failed one but the last: two waits of 500 ms.
    EXPECT_GE(waited, std::chrono::milliseconds(950));
    EXPECT_LT(waited, std::chrono::milliseconds(4000));
    EXPECT_FALSE(busy.Close());

    ASSERT_TRUE(holder.Release());
    NamedMutex free(name.c_str(), 500, 2);
    EXPECT_TRUE(free.IsOwned());
    EXPECT_FALSE(free.AlreadyExists());

    // A second take in the same process is refused too, until the first is closed.
    NamedMutex second(name.c_str(), 0, 0);
    EXPECT_FALSE(second.IsOwned());
    EXPECT_TRUE(free.Close());
    EXPECT_FALSE(free.Close());
    NamedMutex third(name.c_str(), 0, 0);
    EXPECT_TRUE(third.IsOwned());
}

TEST_F(NamedMutexTest, ProgramsStartedByTheHolderDoNotHoldIt) {
    const std::string name = UniqueName();
    int catInput[2];
    int report[2];
    ASSERT_EQ(pipe2(catInput, O_CLOEXEC), 0);
    ASSERT_EQ(pipe2(report, O_CLOEXEC), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        NamedMutex mutex(name.c_str(), 0, 0);
        if (!mutex.IsOwned()) _exit(3);
        // The exec's success closes this pipe (it is close-on-exec): then the lock
        // descriptor has been through exec too.
        int execed[2];
        if (pipe2(execed, O_CLOEXEC) != 0) _exit(4);
        const pid_t grandchild = fork();
        if (grandchild == 0) {
            dup2(catInput[0], 0);
            execl("/bin/cat", "cat", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(execed[1]);
        char ignored;
        if (grandchild < 0 || read(execed[0], &ignored, 1) != 0) _exit(5);
        if (write(report[1], &grandchild, sizeof grandchild) != sizeof grandchild) _exit(6);
        _exit(0);
    }
    close(report[1]);
    close(catInput[0]);
    pid_t grandchild = -1;
    ASSERT_TRUE(ReadFromChild(report[0], grandchild));
    close(report[0]);
    ASSERT_TRUE(WaitForExit(child));

    ASSERT_EQ(kill(grandchild, 0), 0) << "the started program should still run";
    NamedMutex mine(name.c_str(), 0, 0);
    EXPECT_TRUE(mine.IsOwned());
    close(catInput[1]);  // cat reads the end of its input and leaves
}

TEST_F(NamedMutexTest, LockFilesArePerUserAndSafelyNamed) {
    ScopedTempFolder runtimeDir;
    struct Case {
        const char* name;
        const char* file;
    } cases[] = {
        {"Global\\Launcher", "Global_Launcher"},
        {"../../etc/passwd", "_._.._etc_passwd"},
        {".hidden", "_hidden"},
        {"", "_"},
        {"na\xC3\xAFve name", "na__ve_name"},
    };
    setenv("XDG_RUNTIME_DIR", runtimeDir.Path().c_str(), 1);
    for (const Case& c : cases) {
        EXPECT_EQ(NamedMutex::LockFilePath(c.name).Std(), runtimeDir.Path() + "/" + c.file + ".lock") << c.name;
    }
    EXPECT_EQ(NamedMutex::LockFilePath(std::string(300, 'a').c_str()).Std(),
              runtimeDir.Path() + "/" + std::string(200, 'a') + ".lock");
}

// Another user can make anything in /tmp before the launcher comes; these run with a /tmp
// of their own, as root (who alone can act for another user).
class NamedMutexAttackTest : public NamedMutexTest {
protected:
    void SetUp() override {
        NamedMutexTest::SetUp();
        if (!CanActAsAnotherUser()) SKIP_UNLESS_REQUIRED("only root can leave files of another user");
    }

    // Runs body with /tmp private and no runtime folder named; body's checks number its
    // failures, 0 when all held.
    static int InPrivateTmp(const std::function<int()>& body) {
        return RunWithPrivateTmp([&] {
            unsetenv("XDG_RUNTIME_DIR");
            return body();
        });
    }

    const std::string ownTmpFolder = "/tmp/brennic-" + std::to_string(geteuid());
};

TEST_F(NamedMutexAttackTest, WithoutARuntimeFolderTheLockIsInAFolderOfTheUsersOwnInTmp) {
    const std::string name = UniqueName();
    const std::string file = "Global_" + name.substr(std::string("Global\\").size());
    const int failed = InPrivateTmp([&] {
        // Where the lock used to be: another user's process makes that file and holds it.
        AnotherUsersLock squatter("/tmp/" + file + "-" + std::to_string(geteuid()) + ".lock");
        if (!squatter.Holds()) return 1;
        NamedMutex mutex(name.c_str(), 0, 0);
        if (!mutex.IsOwned() || mutex.Refused()) return 2;
        const std::string expected = ownTmpFolder + "/" + file + ".lock";
        if (NamedMutex::LockFilePath(name.c_str()).Std() != expected) return 3;
        struct stat folder {};
        if (lstat(ownTmpFolder.c_str(), &folder) != 0 || folder.st_uid != geteuid() || (folder.st_mode & 0777) != 0700)
            return 4;
        // A runtime folder that is not ours (another user's, handed on to a root launcher) is passed over.
        for (const char* notOurs : {"/", "/proc", "/tmp", "relative/run"}) {
            setenv("XDG_RUNTIME_DIR", notOurs, 1);
            if (NamedMutex::LockFilePath(name.c_str()).Std() != expected) return 5;
        }
        return 0;
    });
    ASSERT_NE(failed, -1) << "no private /tmp";
    EXPECT_EQ(failed, 0) << "check " << failed << " failed";
}

TEST_F(NamedMutexAttackTest, ALockPlaceThatAnotherUserControlsIsRefusedAtOnce) {
    const std::string name = UniqueName();
    const std::string lockFile = ownTmpFolder + "/Global_" + name.substr(std::string("Global\\").size()) + ".lock";
    struct Case {
        const char* what;
        std::function<bool()> plant;  // false when the attack could not be set up
        bool noPath;                  // no lock file can be named at all
    } cases[] = {
        {"the folder in /tmp is another user's",
         [&] { return mkdir(ownTmpFolder.c_str(), 0700) == 0 && GiveToAnotherUser(ownTmpFolder); }, true},
        {"the folder in /tmp is open to others",
         [&] { return mkdir(ownTmpFolder.c_str(), 0700) == 0 && chmod(ownTmpFolder.c_str(), 0777) == 0; }, true},
        {"the folder in /tmp is a link to a folder of ours",
         [&] { return mkdir("/tmp/mine", 0700) == 0 && symlink("/tmp/mine", ownTmpFolder.c_str()) == 0; }, true},
        {"the lock file is another user's",
         [&] {
             const int fd = mkdir(ownTmpFolder.c_str(), 0700) == 0 ? open(lockFile.c_str(), O_CREAT | O_RDWR, 0644) : -1;
             const bool given = fd >= 0 && GiveToAnotherUser(fd);
             if (fd >= 0) close(fd);
             return given;
         },
         false},
        {"the lock file is a link",
         [&] {
             return mkdir(ownTmpFolder.c_str(), 0700) == 0 && close(open("/tmp/target", O_CREAT | O_RDWR, 0600)) == 0 &&
                    symlink("/tmp/target", lockFile.c_str()) == 0;
         },
         false},
    };
    for (const Case& c : cases) {
        const int failed = InPrivateTmp([&] {
            if (!c.plant()) return 1;
            if (NamedMutex::LockFilePath(name.c_str()).IsEmpty() != c.noPath) return 2;
            const auto start = std::chrono::steady_clock::now();
            NamedMutex mutex(name.c_str(), 500, 2);
            // Refused without the waits: nobody of ours will ever let go of it.
            if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(400)) return 3;
            if (mutex.IsOwned() || !mutex.Refused() || mutex.AlreadyExists()) return 4;
            struct stat target {};
            if (lstat("/tmp/target", &target) == 0 && target.st_size != 0) return 5;
            return 0;
        });
        ASSERT_NE(failed, -1) << "no private /tmp";
        EXPECT_EQ(failed, 0) << c.what << ": check " << failed << " failed";
    }
}
}  // namespace
