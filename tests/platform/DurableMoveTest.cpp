// Moving files into place: in one file system and across two (the shared-memory file
// system against the temporary folder), replacing what is there, keeping the mode, and
// leaving both sides as they were when the move cannot be made.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/posix/DurableMove.h"
#include "support/FileBytes.h"
#include "support/ScopedTempFolder.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

dev_t DeviceOf(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? info.st_dev : 0;
}

// A folder on another file system than the temporary folder, where the machine has one.
struct OtherFileSystemFolder {
    OtherFileSystemFolder() {
        char name[] = "/dev/shm/durable-move-XXXXXX";
        if (mkdtemp(name)) path = name;
    }
    ~OtherFileSystemFolder() {
        std::error_code ignored;
        if (!path.empty()) fs::remove_all(path, ignored);
    }
    std::string path;
};

TEST(DurableMove, MovesReplacingTheTargetWithinAndAcrossFileSystems) {
    ScopedTempFolder target;
    OtherFileSystemFolder other;
    std::vector<std::string> sources = {target / "source.pak"};
    if (!other.path.empty() && DeviceOf(other.path) != DeviceOf(target.Path())) sources.push_back(other.path + "/source.pak");
    for (const std::string& source : sources) {
        ASSERT_TRUE(WriteWholeFile(source, std::string(200000, 'n')));
        chmod(source.c_str(), 0751);
        ASSERT_TRUE(WriteWholeFile(target / "game.pak", "old"));
        EXPECT_TRUE(MoveFileDurably(source, target / "game.pak")) << source;
        EXPECT_EQ(ReadAll(target / "game.pak"), std::string(200000, 'n'));
        EXPECT_FALSE(fs::exists(source));
        EXPECT_EQ(fs::status(target / "game.pak").permissions() & fs::perms::all, static_cast<fs::perms>(0751));
        // Nothing of the copy is left beside the target.
        EXPECT_EQ(std::distance(fs::directory_iterator(target.Path()), fs::directory_iterator()), 1);
    }
}

TEST(DurableMove, AMoveThatCannotBeMadeLeavesBothSides) {
    ScopedTempFolder folder;
    ASSERT_TRUE(WriteWholeFile(folder / "source.pak", "new"));
    fs::create_directories(folder / "target/inside");
    EXPECT_FALSE(MoveFileDurably(folder / "source.pak", folder / "target"));  // a folder is in the way
    EXPECT_FALSE(MoveFileDurably(folder / "missing.pak", folder / "other.pak"));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(ReadAll(folder / "source.pak"), "new");
    EXPECT_TRUE(fs::is_directory(folder / "target/inside"));
    EXPECT_FALSE(fs::exists(folder / "other.pak"));
}

}  // namespace
