// Putting files in place: a move within one file system and across two (/dev/shm is
// its own when it is mounted), the copy that keeps its source, and what a non-empty
// folder in the target's place does to each.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/posix/FileMove.h"

namespace fs = std::filesystem;

namespace {

struct Folder {
    explicit Folder(const fs::path& parent) {
        std::string pattern = (parent / "file-move-XXXXXX").string();
        path = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~Folder() {
        std::error_code error;
        if (!path.empty()) fs::remove_all(path, error);
    }
    std::string operator/(const std::string& name) const { return path + "/" + name; }
    std::string path;
};

void Write(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::string Read(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

std::size_t Entries(const std::string& folder) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(FileMove, MovesWithinAndAcrossFileSystemsKeepingTheMode) {
    Folder game(fs::temp_directory_path());
    ASSERT_FALSE(game.path.empty());
    for (const fs::path& downloads : {fs::temp_directory_path(), fs::path("/dev/shm")}) {
        if (!fs::is_directory(downloads)) continue;
        SCOPED_TRACE(downloads.string());
        Folder from(downloads);
        const std::string bytes(3 << 20, 'r');
        Write(from / "new.exe", bytes);
        ASSERT_EQ(::chmod((from / "new.exe").c_str(), 0755), 0);
        Write(game / "old.exe", "old");

        EXPECT_EQ(MoveFileReplacing(from / "new.exe", game / "old.exe"), 0);
        EXPECT_EQ(Read(game / "old.exe"), bytes);
        EXPECT_FALSE(fs::exists(from / "new.exe"));
        struct stat info {};
        ASSERT_EQ(::stat((game / "old.exe").c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0755u);
        EXPECT_EQ(Entries(game.path), 1u);  // no temporary file is left
    }
}

TEST(FileMove, ACopyKeepsItsSourceAndAnEmptyFileReplacesTheOldOne) {
    Folder folder(fs::temp_directory_path());
    Write(folder / "source", "bytes");
    Write(folder / "target", "old and longer");
    EXPECT_EQ(CopyFileReplacing(folder / "source", folder / "target"), 0);
    EXPECT_EQ(Read(folder / "target"), "bytes");
    EXPECT_EQ(Read(folder / "source"), "bytes");
    EXPECT_EQ(WriteEmptyFileReplacing(folder / "target"), 0);
    EXPECT_TRUE(fs::exists(folder / "target"));
    EXPECT_EQ(fs::file_size(folder / "target"), 0u);
    EXPECT_EQ(Entries(folder.path), 2u);
}

TEST(FileMove, ANonEmptyFolderInTheTargetsPlaceFailsEveryWayAndLeavesNoTemporaryFile) {
    Folder folder(fs::temp_directory_path());
    Write(folder / "source", "bytes");
    fs::create_directory(folder / "target");
    Write(folder / "target/keep", "kept");
    EXPECT_NE(MoveFileReplacing(folder / "source", folder / "target"), 0);
    EXPECT_NE(CopyFileReplacing(folder / "source", folder / "target"), 0);
    EXPECT_NE(WriteEmptyFileReplacing(folder / "target"), 0);
    EXPECT_EQ(CopyFileReplacing(folder / "missing", folder / "other"), ENOENT);
    EXPECT_EQ(Read(folder / "target/keep"), "kept");
    EXPECT_EQ(Read(folder / "source"), "bytes");
    EXPECT_EQ(Entries(folder.path), 2u);
    EXPECT_TRUE(IsNoSpaceError(ENOSPC));
    EXPECT_FALSE(IsNoSpaceError(EISDIR));
}

}  // namespace
