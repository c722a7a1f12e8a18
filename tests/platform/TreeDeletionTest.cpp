// The one recursive deletion. Every real deletion here runs inside the test's own
// temporary folder; dangerous spellings of system paths are only ever shown to the path
// check, never to the deletion.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/posix/TreeDeletion.h"
#include "support/RequiredEnvironment.h"
#include "support/ScopedTempFolder.h"

namespace {

namespace fs = std::filesystem;

bool ExistsAsName(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

std::string RealPath(const std::string& path) {
    char buffer[PATH_MAX];
    return ::realpath(path.c_str(), buffer) ? std::string(buffer) : std::string();
}

TEST(TreeDeletion, OnlyAbsoluteCanonicalPathsPassTheCheck) {
    const std::vector<std::string> refused = {
        "", "/", "//", "/.", "//.", "/..", "/usr/..", "/usr/../", "/usr/.", "/./usr", "//usr", "/usr//lib",
        "/usr/", "usr", "usr/lib", ".", "..", "./usr", "/home/player/Game/z/..", std::string("/usr\0/..", 8),
    };
    for (const std::string& path : refused) EXPECT_FALSE(Posix::IsCanonicalAbsolutePath(path)) << path;
    const std::vector<std::string> accepted = {"/usr", "/home/player/Game", "/a/.b", "/a/..b", "/a/b..", "/a/..."};
    for (const std::string& path : accepted) EXPECT_TRUE(Posix::IsCanonicalAbsolutePath(path)) << path;
}

TEST(TreeDeletion, ACanonicalChildResolvesTheFolderAndTakesOnlyAPlainName) {
    ScopedTempFolder dir;
    ASSERT_TRUE(WriteWholeFile(dir / "real/inner/file", ""));
    ASSERT_EQ(::symlink((dir / "real").c_str(), (dir / "link").c_str()), 0);
    const std::string real = RealPath(dir / "real");
    EXPECT_EQ(Posix::CanonicalChild(dir / "real/", "Full"), real + "/Full");
    EXPECT_EQ(Posix::CanonicalChild(dir / "real/inner/..", "Full"), real + "/Full");
    EXPECT_EQ(Posix::CanonicalChild(dir / "link", "Full"), real + "/Full");
    for (const char* name : {"", ".", "..", "a/b", "/"}) EXPECT_EQ(Posix::CanonicalChild(dir / "real", name), "") << name;
    EXPECT_EQ(Posix::CanonicalChild(dir / "missing", "Full"), "");
    EXPECT_TRUE(Posix::IsCanonicalAbsolutePath(Posix::CanonicalChild(dir / "real/inner/..", "Full")));
}

class TreeDeletionTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = RealPath(dir.Path());
        ASSERT_FALSE(root.empty());
        tree = root + "/T";
        ASSERT_TRUE(WriteWholeFile(root + "/sibling/canary", "alive"));
        ASSERT_TRUE(WriteWholeFile(tree + "/a/b/c/deep", "x"));
        ASSERT_TRUE(WriteWholeFile(tree + "/a/file", "x"));
        ASSERT_TRUE(WriteWholeFile(tree + "/keep/kept", "x"));
        ASSERT_TRUE(WriteWholeFile(tree + "/top", "x"));
        ASSERT_EQ(::mkfifo((tree + "/a/fifo").c_str(), 0600), 0);
        ASSERT_EQ(::symlink((root + "/sibling").c_str(), (tree + "/a/to-sibling").c_str()), 0);
        ASSERT_EQ(::symlink((root + "/sibling/canary").c_str(), (tree + "/to-canary").c_str()), 0);
        // Owner permissions a deletion has to add back before it can empty a folder.
        ASSERT_EQ(::chmod((tree + "/a/b").c_str(), 0500), 0);
    }
    void TearDown() override { ::chmod((tree + "/a/b").c_str(), 0700); }

    ScopedTempFolder dir;
    std::string root;  // the temporary folder, canonical
    std::string tree;
};

TEST_F(TreeDeletionTest, DeletesEverythingBelowButWhatLinksPointToAndWhatIsKept) {
    std::vector<std::string> asked;
    const Posix::KeepFolder keep = [&](const std::string& path) {
        asked.push_back(path);
        return path == tree + "/keep";
    };
    EXPECT_TRUE(Posix::DeleteTree(tree, keep));
    EXPECT_EQ(ReadWholeFile(tree + "/keep/kept"), "x");
    EXPECT_FALSE(ExistsAsName(tree + "/a"));
    EXPECT_FALSE(ExistsAsName(tree + "/top"));
    EXPECT_FALSE(ExistsAsName(tree + "/to-canary"));
    EXPECT_EQ(ReadWholeFile(root + "/sibling/canary"), "alive");
    EXPECT_EQ(asked, (std::vector<std::string>{tree, tree + "/a", tree + "/a/b", tree + "/a/b/c", tree + "/keep"}));

    EXPECT_TRUE(Posix::DeleteTree(tree));
    EXPECT_FALSE(ExistsAsName(tree));
    EXPECT_TRUE(Posix::DeleteTree(tree)) << "what is gone counts as deleted";
    EXPECT_TRUE(Posix::DeleteTree(root + "/missing/below"));
    // A file or a link named as the path goes as a name.
    ASSERT_EQ(::symlink((root + "/sibling").c_str(), (root + "/link").c_str()), 0);
    EXPECT_TRUE(Posix::DeleteTree(root + "/link"));
    EXPECT_FALSE(ExistsAsName(root + "/link"));
    EXPECT_EQ(ReadWholeFile(root + "/sibling/canary"), "alive");
}

TEST_F(TreeDeletionTest, RefusesAPathThatIsNotCanonicalOrLeadsThroughALink) {
    for (const std::string& path : {tree + "/a/..", tree + "/./a", tree + "//a", tree + "/a/", std::string("T/a")}) {
        EXPECT_FALSE(Posix::DeleteTree(path)) << path;
        EXPECT_TRUE(ExistsAsName(tree + "/a/b/c/deep")) << path;
    }
    EXPECT_FALSE(Posix::DeleteTree(tree + "/a/to-sibling/canary"));
    EXPECT_EQ(ReadWholeFile(root + "/sibling/canary"), "alive");
    // The temporary folder reached through a link to it.
    ASSERT_EQ(::symlink(root.c_str(), (root + "/self").c_str()), 0);
    EXPECT_FALSE(Posix::DeleteTree(root + "/self/T"));
    EXPECT_TRUE(ExistsAsName(tree + "/top"));
}

// The attack on a walk by path: once the walk has decided that a name is a folder, the
// player swaps the folder for a link to a folder of someone else's. The question whether
// to keep a folder comes just before the walk opens it, the moment to swap it.
TEST_F(TreeDeletionTest, AFolderSwappedForALinkMidWalkIsDeletedAsALink) {
    const Posix::KeepFolder swap = [&](const std::string& path) {
        for (const char* name : {"/a/b/c", "/keep"}) {
            if (path != tree + name) continue;
            const std::string away = root + "/moved-" + path.substr(path.rfind('/') + 1);
            EXPECT_EQ(::rename(path.c_str(), away.c_str()), 0);
            EXPECT_EQ(::symlink((root + "/sibling").c_str(), path.c_str()), 0);
        }
        return false;
    };
    EXPECT_TRUE(Posix::DeleteTree(tree, swap));
    EXPECT_EQ(ReadWholeFile(root + "/sibling/canary"), "alive");
    EXPECT_FALSE(ExistsAsName(tree));
    EXPECT_EQ(ReadWholeFile(root + "/moved-c/deep"), "x");
    EXPECT_EQ(ReadWholeFile(root + "/moved-keep/kept"), "x");
}

// A player's own folder that the player may not read or write: run as that player, the
// deletion makes it usable through the folder's own handle. Needs root to become the player.
TEST_F(TreeDeletionTest, AFolderItsOwnerMayNotReadIsStillEmptied) {
    if (::geteuid() != 0) SKIP_UNLESS_REQUIRED("needs root to act as another user");
    const uid_t nobody = 65534;
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
    for (const auto& entry : fs::recursive_directory_iterator(tree)) ASSERT_EQ(::lchown(entry.path().c_str(), nobody, nobody), 0);
    ASSERT_EQ(::lchown(tree.c_str(), nobody, nobody), 0);
    ASSERT_EQ(::chmod((tree + "/a/b").c_str(), 0), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(nobody) != 0 || ::setuid(nobody) != 0) ::_exit(2);
        ::_exit(Posix::DeleteTree(tree + "/a") ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(ExistsAsName(tree + "/a"));
    EXPECT_EQ(ReadWholeFile(root + "/sibling/canary"), "alive");
}

// A download folder named with a trailing '/' (as a torrent's top folder is): a link in
// its place goes as a name, and what it points to stays.
TEST_F(TreeDeletionTest, ALinkInPlaceOfAFolderNamedWithATrailingSlashGoesAsALink) {
    for (const char* spelling : {"/Rip/", "/Rip//", "/Rip"}) {
        SCOPED_TRACE(spelling);
        ASSERT_EQ(::symlink((root + "/sibling").c_str(), (tree + "/Rip").c_str()), 0);
        EXPECT_TRUE(Posix::DeleteTree(Posix::CanonicalEntry(tree + spelling)));
        EXPECT_FALSE(ExistsAsName(tree + "/Rip"));
        EXPECT_EQ(ReadWholeFile(root + "/sibling/canary"), "alive");
    }
    for (const char* refused : {"", "/", "//", "/.."}) EXPECT_FALSE(Posix::DeleteTree(Posix::CanonicalEntry(refused))) << refused;
}

TEST_F(TreeDeletionTest, ATreeDeeperThanTheLauncherMakesIsLeft) {
    std::string deep = root + "/deep";
    for (int i = 0; i < 140; ++i) deep += "/d";
    ASSERT_TRUE(fs::create_directories(deep));
    EXPECT_FALSE(Posix::DeleteTree(root + "/deep"));
    EXPECT_EQ(errno, ELOOP);
    EXPECT_TRUE(ExistsAsName(deep));
}

}  // namespace
