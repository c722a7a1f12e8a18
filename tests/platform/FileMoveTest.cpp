// Putting files in place: a move within one file system and across two (/dev/shm is
// its own when it is mounted), the copy that keeps its source, and what a non-empty
// folder in the target's place does to each.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "platform/posix/FileMove.h"
#include "support/LinkBait.h"

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

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// Each way of putting a file in place, with a link planted at the target by a player
// who wants a root launcher to write a file of the system.
TEST(FileMove, ALinkInPlaceOfTheTargetIsReplacedNeverFollowed) {
    Folder folder(fs::temp_directory_path());
    const std::string target = folder / "target";
    const std::vector<std::pair<const char*, std::function<int()>>> ways = {
        {"bytes", [&] { return ReplaceFileWithBytes(target, "new", 3, 0644); }},
        {"copy",
         [&] {
             Write(folder / "source", "new");
             return CopyFileReplacing(folder / "source", target);
         }},
        {"move",
         [&] {
             Write(folder / "source", "new");
             return MoveFileReplacing(folder / "source", target);
         }},
        {"empty", [&] { return WriteEmptyFileReplacing(target); }},
        {"fresh and open",
         [&] {
             const int fd = OpenFreshFileReplacing(target, 0644);
             if (fd < 0) return errno;
             const bool written = ::write(fd, "new", 3) == 3;
             ::close(fd);
             return written ? 0 : EIO;
         }},
        {"streamed",
         [&] {
             FileReplacement file(target, ReplacedFileMode(target, 0644));
             if (::write(file.Descriptor(), "new", 3) != 3) return EIO;
             return file.Commit();
         }},
    };
    for (const auto& [name, put] : ways) {
        const LinkBait bait(folder / "etc/shadow", target);
        EXPECT_EQ(put(), 0) << name;
        EXPECT_TRUE(bait.Untouched()) << name;
        EXPECT_TRUE(bait.ReplacedByAFile()) << name;
        const std::string expected = std::string(name) == "empty" ? "" : "new";
        EXPECT_EQ(Read(target), expected) << name;
        EXPECT_EQ(ModeOf(target), 0644u) << name << ": the mode of the file a link points to is not taken";
        fs::remove(folder / "source");
        EXPECT_EQ(Entries(folder.path), 2u) << name;  // target and etc/: no temporary file is left
    }
}

// A source is read on behalf of root from folders the player can write: a link there
// could name any file of the machine, and a FIFO would hold the copy for ever.
TEST(FileMove, ASourceIsARegularFileReachedWithoutALink) {
    Folder folder(fs::temp_directory_path());
    Write(folder / "target", "old");
    fs::create_directory(folder / "folder");
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    const LinkBait bait(folder / "etc/shadow", folder / "link");
    const std::vector<std::pair<std::string, int>> sources = {
        {"link", ELOOP}, {"fifo", EINVAL}, {"folder", EISDIR}, {"missing", ENOENT}};
    for (const auto& [name, error] : sources) {
        EXPECT_EQ(CopyFileReplacing(folder / name, folder / "target"), error) << name;
        EXPECT_EQ(MoveFileReplacing(folder / name, folder / "target"), error) << name;
        EXPECT_EQ(Read(folder / "target"), "old") << name;
    }
    EXPECT_TRUE(bait.Untouched());
    EXPECT_TRUE(bait.LeftAlone());
}

TEST(FileMove, ModesAreChosenAndNeverCarrySpecialBits) {
    Folder folder(fs::temp_directory_path());
    Write(folder / "setuid", "program");
    ASSERT_EQ(::chmod((folder / "setuid").c_str(), 04755), 0);
    Write(folder / "readonly", "data");
    ASSERT_EQ(::chmod((folder / "readonly").c_str(), 0444), 0);
    const struct {
        const char* source;
        CopyMode mode;
        mode_t expected;
    } copies[] = {
        {"setuid", CopyMode::OfSource(), 0755},
        {"readonly", CopyMode::OfSource(), 0444},
        {"readonly", CopyMode::OfSource(S_IRUSR | S_IWUSR), 0644},
        {"readonly", CopyMode::Fixed(0755), 0755},
    };
    for (const auto& c : copies) {
        EXPECT_EQ(CopyFileReplacing(folder / c.source, folder / "copy", c.mode), 0) << c.source;
        EXPECT_EQ(ModeOf(folder / "copy"), c.expected) << c.source;
    }
    EXPECT_EQ(ReplacedFileMode(folder / "setuid", 0600), 0755u);
    EXPECT_EQ(ReplacedFileMode(folder / "readonly", 0600), 0444u);
    EXPECT_EQ(ReplacedFileMode(folder / "missing", 0640), 0640u);
    ASSERT_EQ(::symlink((folder / "setuid").c_str(), (folder / "link").c_str()), 0);
    EXPECT_EQ(ReplacedFileMode(folder / "link", 0600), 0600u);
}

TEST(FileMove, AReplacementThatIsNotCommittedLeavesTheTargetAndNoTemporaryFile) {
    Folder folder(fs::temp_directory_path());
    Write(folder / "target", "old");
    {
        FileReplacement file(folder / "target", 0644);
        ASSERT_GE(file.Descriptor(), 0);
        EXPECT_EQ(::write(file.Descriptor(), "new", 3), 3);
        EXPECT_TRUE(fs::exists(file.TemporaryPath()));
    }
    {
        FileReplacement file(folder / "target", 0644);
        EXPECT_EQ(::write(file.Descriptor(), "new", 3), 3);
        file.Fail(ENOSPC);
        EXPECT_EQ(file.Commit(), ENOSPC);
    }
    EXPECT_EQ(ReplaceFileThrough(folder / "target", 0644, [](int) { return EIO; }), EIO);
    FileReplacement nowhere(folder / "missing/target", 0644);
    EXPECT_EQ(nowhere.Descriptor(), -1);
    EXPECT_EQ(nowhere.Commit(), ENOENT);
    EXPECT_EQ(Read(folder / "target"), "old");
    EXPECT_EQ(Entries(folder.path), 1u);
}

}  // namespace
