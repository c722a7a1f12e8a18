// Removing a download folder inside a temporary tree where links stand in its place and
// within it: each link goes, what it points to (a canary folder beside the tree) stays.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "platform/posix/TreeRemoval.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

class TreeRemovalTest : public ::testing::Test {
protected:
    void SetUp() override {
        outside.WriteFile("canary/keep.txt", "canary");
        outside.WriteFile("canary/sub/deep.txt", "deep");
        outside.WriteFile("lone.txt", "lone");
    }
    // What the links point to is whole.
    void ExpectCanaryWhole() const {
        EXPECT_EQ(outside.ReadFile("canary/keep.txt"), "canary");
        EXPECT_EQ(outside.ReadFile("canary/sub/deep.txt"), "deep");
        EXPECT_EQ(outside.ReadFile("lone.txt"), "lone");
    }

    TempDir tree;
    TempDir outside;
};

TEST_F(TreeRemovalTest, AFolderGoesWithEverythingInItAndTheLinksInItGoAsLinks) {
    tree.WriteFile("Patches/Rip/bin/a.dll", "a");
    tree.WriteFile("Patches/Rip/data/deep/x/y/z.pak", "z");
    tree.WriteFile("Patches/Rip.torrent", "kept");
    fs::create_directory_symlink(outside / "canary", tree / "Patches/Rip/data/folder-link");
    fs::create_symlink(outside / "lone.txt", tree / "Patches/Rip/bin/file-link");
    fs::create_symlink(outside / "missing", tree / "Patches/Rip/dangling");

    for (const char* path : {"Patches/Rip/", "Patches/Rip"}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(RemoveTree(tree / path), 0);
        EXPECT_FALSE(fs::exists(fs::symlink_status(tree / "Patches/Rip")));
        EXPECT_EQ(tree.ReadFile("Patches/Rip.torrent"), "kept");
        ExpectCanaryWhole();
    }
}

TEST_F(TreeRemovalTest, ALinkInThePlaceOfTheFolderIsRemovedNotFollowedWithOrWithoutATrailingSlash) {
    for (const char* path : {"Patches/Rip/", "Patches/Rip//", "Patches/Rip"}) {
        SCOPED_TRACE(path);
        fs::create_directories(tree / "Patches");
        fs::create_directory_symlink(outside / "canary", tree / "Patches/Rip");
        EXPECT_EQ(RemoveTree(tree / path), 0);
        EXPECT_FALSE(fs::exists(fs::symlink_status(tree / "Patches/Rip")));
        ExpectCanaryWhole();
    }
}

TEST_F(TreeRemovalTest, NothingThereIsDoneAndNamesThatAreNoFolderOfTheirOwnAreRefused) {
    EXPECT_EQ(RemoveTree(tree / "missing/"), 0);
    EXPECT_EQ(RemoveTree(tree / "missing/below"), 0);
    tree.WriteFile("plain.txt", "plain");
    EXPECT_EQ(RemoveTree(tree / "plain.txt"), 0);
    EXPECT_FALSE(tree.Exists("plain.txt"));
    const std::string refused[] = {"", "/", "//", tree / ".", tree / "..", tree / "x/.."};
    for (const std::string& path : refused) EXPECT_EQ(RemoveTree(path), EINVAL) << path;
    EXPECT_TRUE(fs::is_directory(tree.Path()));
}

TEST_F(TreeRemovalTest, ATreeTooDeepIsLeftWithAnError) {
    std::string deep = "top";
    for (int i = 0; i < 140; ++i) deep += "/d";
    fs::create_directories(tree / deep);
    EXPECT_EQ(RemoveTree(tree / "top"), ELOOP);
    EXPECT_TRUE(fs::exists(tree / "top"));
    // Cut to a depth it takes.
    fs::remove_all(tree / (deep.substr(0, 3 + 2 * 30)));
    EXPECT_EQ(RemoveTree(tree / "top"), 0);
}

}  // namespace
