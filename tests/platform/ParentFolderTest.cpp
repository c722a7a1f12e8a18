// Opening the folder of an entry below a root inside a temporary tree, where links and
// files stand in the place of its folders: the walk stops there, and the canary folder
// a link points to (beside the tree) is left as it was.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/posix/FileMove.h"
#include "platform/posix/ParentFolder.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

using Posix::ParentFolder;

namespace {

std::vector<std::string> Listing(const std::string& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder))
        names.push_back(fs::relative(entry.path(), folder).string());
    return names;
}

TEST(ParentFolder, MakesWhatIsMissingAndReachesTheEntryThroughTheOpenFolder) {
    TempDir tree;
    tree.WriteFile("game/bin/old.dll", "old");
    const struct {
        const char* relative;
        ParentFolder::Missing missing;
        const char* folder;  // where the entry lands
    } cases[] = {
        {"bin/old.dll", ParentFolder::Missing::Fail, "game/bin"},
        {"bin/plugins/deep/new.dll", ParentFolder::Missing::Create, "game/bin/plugins/deep"},
        {"bin//twice/new.dll", ParentFolder::Missing::Create, "game/bin/twice"},
        {"top.txt", ParentFolder::Missing::Fail, "game"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.relative);
        const ParentFolder parent(tree / "game", c.relative, c.missing);
        ASSERT_EQ(parent.Error(), 0);
        EXPECT_GE(parent.Descriptor(), 0);
        const std::string name = fs::path(c.relative).filename();
        EXPECT_EQ(parent.Name(), name);
        EXPECT_EQ(ReplaceFileWithBytes(parent.EntryPath(), "new", 3, 0644), 0);
        EXPECT_EQ(tree.ReadFile(std::string(c.folder) + "/" + name), "new");
    }
    // A missing root is made only when asked to.
    EXPECT_EQ(ParentFolder(tree / "absent", "sub/new.dll", ParentFolder::Missing::Fail).Error(), ENOENT);
    EXPECT_FALSE(fs::exists(tree / "absent"));
    EXPECT_EQ(ParentFolder(tree / "absent/root", "sub/new.dll", ParentFolder::Missing::Create).Error(), 0);
    EXPECT_TRUE(fs::is_directory(tree / "absent/root/sub"));
}

TEST(ParentFolder, ALinkOrAFileInThePlaceOfAFolderOrABadNameFailsAndNothingIsMade) {
    const struct {
        const char* name;
        const char* relative;
        ParentFolder::Missing missing;
        std::vector<int> errors;  // any of them
    } cases[] = {
        {"a link as the first folder", "bin/new.dll", ParentFolder::Missing::Create, {ELOOP, ENOTDIR}},
        {"a link deeper down", "data/maps/new.map", ParentFolder::Missing::Create, {ELOOP, ENOTDIR}},
        {"a link to nothing", "dangling/new.dll", ParentFolder::Missing::Create, {ELOOP, ENOTDIR}},
        {"a file where a folder goes", "file/new.dll", ParentFolder::Missing::Create, {ENOTDIR}},
        {"a missing folder not to be made", "absent/new.dll", ParentFolder::Missing::Fail, {ENOENT}},
        {"a parent component", "data/../bin/new.dll", ParentFolder::Missing::Create, {EINVAL}},
        {"no entry name", "data/", ParentFolder::Missing::Create, {EINVAL}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir tree;
        TempDir outside;
        outside.WriteFile("canary/keep.txt", "canary");
        tree.WriteFile("game/file", "a file");
        fs::create_directories(tree / "game/data");
        fs::create_directory_symlink(outside / "canary", tree / "game/bin");
        fs::create_directory_symlink(outside / "canary", tree / "game/data/maps");
        fs::create_directory_symlink(outside / "missing", tree / "game/dangling");

        const ParentFolder parent(tree / "game", c.relative, c.missing);
        EXPECT_NE(std::find(c.errors.begin(), c.errors.end(), parent.Error()), c.errors.end()) << parent.Error();
        EXPECT_EQ(parent.Descriptor(), -1);
        EXPECT_EQ(parent.EntryPath(), "");
        EXPECT_EQ(Listing(outside.Path()), (std::vector<std::string>{"canary", "canary/keep.txt"}));
        EXPECT_FALSE(fs::exists(fs::symlink_status(tree / "game/absent")));
    }
}

// The folder stays the one that was opened: a link put in its place afterwards does
// not redirect what goes through it.
TEST(ParentFolder, AFolderSwappedForALinkOnceOpenIsNotFollowed) {
    TempDir tree;
    TempDir outside;
    outside.WriteFile("canary/keep.txt", "canary");
    tree.WriteFile("game/bin/old.dll", "old");
    const ParentFolder parent(tree / "game", "bin/old.dll", ParentFolder::Missing::Fail);
    ASSERT_EQ(parent.Error(), 0);
    fs::rename(tree / "game/bin", tree / "game/moved");
    fs::create_directory_symlink(outside / "canary", tree / "game/bin");

    EXPECT_EQ(ReplaceFileWithBytes(parent.EntryPath(), "new", 3, 0644), 0);
    EXPECT_EQ(tree.ReadFile("game/moved/old.dll"), "new");
    EXPECT_EQ(Listing(outside.Path()), (std::vector<std::string>{"canary", "canary/keep.txt"}));
}

}  // namespace
