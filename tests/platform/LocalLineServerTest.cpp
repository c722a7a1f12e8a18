#include <gtest/gtest.h>

#include <glib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/ipc/LocalLineServer.h"
#include "platform/ipc/RuntimePath.h"
#include "support/ScopedTempFolder.h"

namespace {

// Runs the default main context until the predicate holds or the bound passes.
template <typename Predicate>
bool SpinUntil(Predicate done, int timeoutMs = 5000) {
    const gint64 deadline = g_get_monotonic_time() + gint64{timeoutMs} * 1000;
    while (!done()) {
        if (g_get_monotonic_time() > deadline) return false;
        g_main_context_iteration(nullptr, FALSE);
        g_usleep(1000);
    }
    return true;
}

int ConnectRaw(const std::string& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

TEST(LocalLineServer, DeliversOneLinePerConnection) {
    ScopedTempFolder temp;
    std::vector<std::string> lines;
    auto server = LocalLineServer::Listen(temp / "s.sock", [&](const std::string& line) { lines.push_back(line); });
    ASSERT_TRUE(server);
    EXPECT_TRUE(SendLocalLine(temp / "s.sock", "raise", 1000));
    EXPECT_TRUE(SendLocalLine(temp / "s.sock", "raise", 1000));
    ASSERT_TRUE(SpinUntil([&] { return lines.size() == 2; }));
    EXPECT_EQ(lines, (std::vector<std::string>{"raise", "raise"}));
}

TEST(LocalLineServer, SilentFloodingAndGarbagePeersNeitherBlockNorDeliver) {
    ScopedTempFolder temp;
    std::vector<std::string> lines;
    auto server = LocalLineServer::Listen(temp / "s.sock", [&](const std::string& line) { lines.push_back(line); });
    ASSERT_TRUE(server);
    std::vector<int> silent;
    for (std::size_t i = 0; i < LocalLineServer::kMaxPending + 2; ++i) silent.push_back(ConnectRaw(temp / "s.sock"));
    ASSERT_TRUE(SpinUntil([&] { return server->PendingConnections() == LocalLineServer::kMaxPending; }));

    const int flood = ConnectRaw(temp / "s.sock");
    const std::string junk(LocalLineServer::kMaxLine * 4, 'x');
    ASSERT_EQ(write(flood, junk.data(), junk.size()), static_cast<ssize_t>(junk.size()));
    const int closer = ConnectRaw(temp / "s.sock");
    ASSERT_EQ(write(closer, "rai", 3), 3);
    close(closer);  // the end of a line that never came

    // A well-behaved peer still gets through past the silent ones.
    EXPECT_TRUE(SendLocalLine(temp / "s.sock", "raise", 1000));
    ASSERT_TRUE(SpinUntil([&] { return !lines.empty(); }));
    EXPECT_EQ(lines, std::vector<std::string>{"raise"});
    EXPECT_LE(server->PendingConnections(), LocalLineServer::kMaxPending);
    for (int fd : silent) close(fd);
    close(flood);
}

TEST(LocalLineServer, ReplacesAStaleSocketAndRemovesItsOwnAtTheEnd) {
    ScopedTempFolder temp;
    const std::string path = temp / "s.sock";
    {
        auto first = LocalLineServer::Listen(path, [](const std::string&) {});
        ASSERT_TRUE(first);
        // A crash leaves the socket file behind; simulate it with a second bound file.
    }
    EXPECT_FALSE(SendLocalLine(path, "raise", 200));  // nobody listens any more
    ASSERT_TRUE(WriteWholeFile(path, ""));             // a left-over file in the way
    auto second = LocalLineServer::Listen(path, [](const std::string&) {});
    ASSERT_TRUE(second);
    EXPECT_TRUE(SendLocalLine(path, "raise", 1000));
    second.reset();
    EXPECT_NE(access(path.c_str(), F_OK), 0);
}

TEST(LocalLineServer, RefusesPathsThatDoNotFitAnAddress) {
    EXPECT_FALSE(LocalLineServer::Listen("", [](const std::string&) {}));
    EXPECT_FALSE(LocalLineServer::Listen("/tmp/" + std::string(200, 'a'), [](const std::string&) {}));
    EXPECT_FALSE(SendLocalLine("/tmp/" + std::string(200, 'a'), "raise", 100));
}

TEST(RuntimeObjectPath, IsInTheRuntimeFolderOnlyWhenItIsOurOwnElseInOurFolderInTmp) {
    const char* saved = getenv("XDG_RUNTIME_DIR");
    const std::string restore = saved ? saved : "";
    ScopedTempFolder temp;
    const std::string run = temp / "run";
    ASSERT_EQ(mkdir(run.c_str(), 0700), 0);
    setenv("XDG_RUNTIME_DIR", (run + "/").c_str(), 1);
    EXPECT_EQ(RuntimeObjectPath("Launcher", "lock"), run + "/Launcher.lock");

    const std::string fallback = UserTmpFolder() + "/Launcher.lock";
    EXPECT_EQ(UserTmpFolder(), "/tmp/brennic-" + std::to_string(geteuid()));
    chmod(run.c_str(), 0755);
    EXPECT_EQ(RuntimeObjectPath("Launcher", "lock"), fallback);
    setenv("XDG_RUNTIME_DIR", "/run/user/1234567", 1);
    EXPECT_EQ(RuntimeObjectPath("Launcher", "lock"), fallback);
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(RuntimeObjectPath("Launcher", "sock"), UserTmpFolder() + "/Launcher.sock");
    EXPECT_TRUE(IsPrivateFolder(UserTmpFolder()));
    if (saved) setenv("XDG_RUNTIME_DIR", restore.c_str(), 1);
}

}  // namespace
