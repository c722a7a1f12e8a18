// Opening files that must be regular ones: what else may stand at the name (a folder, a
// FIFO nobody writes to, a device, a link), and reads that stop at a cap.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/posix/RegularFile.h"
#include "support/LinkBait.h"
#include "support/ScopedTempFolder.h"

namespace {

using Posix::Links;
using Posix::ReadOutcome;

class RegularFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteWholeFile(dir / "file", "bytes"));
        ASSERT_EQ(::mkdir((dir / "folder").c_str(), 0700), 0);
        // A FIFO nobody writes to: a plain open for reading would wait for ever.
        ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
        ASSERT_EQ(::symlink((dir / "file").c_str(), (dir / "link").c_str()), 0);
        ASSERT_EQ(::symlink((dir / "fifo").c_str(), (dir / "link-to-fifo").c_str()), 0);
    }

    ScopedTempFolder dir;
};

TEST_F(RegularFileTest, OnlyARegularFileOpensAndNothingBlocks) {
    const struct {
        std::string path;
        Links links;
        int error;  // 0: opens
    } cases[] = {
        {dir / "file", Links::Refuse, 0},
        {dir / "link", Links::Follow, 0},
        {dir / "link", Links::Refuse, ELOOP},
        {dir / "folder", Links::Follow, EISDIR},
        {dir / "fifo", Links::Follow, EINVAL},
        {dir / "link-to-fifo", Links::Follow, EINVAL},
        {"/dev/null", Links::Follow, EINVAL},
        {dir / "missing", Links::Follow, ENOENT},
    };
    for (const auto& c : cases) {
        struct stat info {};
        errno = 0;
        const int fd = Posix::OpenRegularFile(c.path.c_str(), c.links, &info);
        if (c.error == 0) {
            EXPECT_GE(fd, 0) << c.path;
            EXPECT_EQ(info.st_size, 5) << c.path;
            EXPECT_NE(::fcntl(fd, F_GETFD) & FD_CLOEXEC, 0) << c.path;
            ::close(fd);
        } else {
            EXPECT_EQ(fd, -1) << c.path;
            EXPECT_EQ(errno, c.error) << c.path;
        }
    }
}

TEST_F(RegularFileTest, AReadIsWholeOrCutAtTheCap) {
    const std::string big = PatternBytes(300000, 7);
    ASSERT_TRUE(WriteWholeFile(dir / "big", big));
    ASSERT_TRUE(WriteWholeFile(dir / "empty", ""));
    const struct {
        std::string name;
        std::size_t cap;
        ReadOutcome outcome;
        std::string bytes;
    } cases[] = {
        {"file", 10, ReadOutcome::Whole, "bytes"},
        {"file", 5, ReadOutcome::Whole, "bytes"},
        {"file", 4, ReadOutcome::Cut, "byte"},
        {"file", 0, ReadOutcome::Cut, ""},
        {"empty", 10, ReadOutcome::Whole, ""},
        {"big", 1 << 20, ReadOutcome::Whole, big},
        {"big", 100000, ReadOutcome::Cut, big.substr(0, 100000)},
        {"fifo", 10, ReadOutcome::Failed, ""},
        {"folder", 10, ReadOutcome::Failed, ""},
        {"missing", 10, ReadOutcome::Failed, ""},
    };
    for (const auto& c : cases) {
        std::string bytes = "left from before";
        EXPECT_EQ(Posix::ReadRegularFile((dir / c.name).c_str(), Links::Follow, c.cap, bytes), c.outcome)
            << c.name << " " << c.cap;
        EXPECT_EQ(bytes, c.bytes) << c.name << " " << c.cap;
    }
    std::string bytes;
    EXPECT_EQ(Posix::ReadRegularFile((dir / "link").c_str(), Links::Refuse, 10, bytes), ReadOutcome::Failed);
}

TEST_F(RegularFileTest, AFileOpenedToWriteIsNeverReachedThroughALink) {
    const LinkBait bait(dir / "etc/shadow", dir / "planted.log");
    EXPECT_EQ(Posix::OpenRegularFileToWrite((dir / "planted.log").c_str(), O_WRONLY | O_APPEND | O_CREAT, 0644), -1);
    EXPECT_EQ(errno, ELOOP);
    EXPECT_TRUE(bait.Untouched());
    EXPECT_TRUE(bait.LeftAlone());
    // A FIFO without a reader does not hold the open either.
    EXPECT_EQ(Posix::OpenRegularFileToWrite((dir / "fifo").c_str(), O_WRONLY | O_APPEND | O_CREAT, 0644), -1);

    for (const char* line : {"one\n", "two\n"}) {
        const int fd = Posix::OpenRegularFileToWrite((dir / "new.log").c_str(), O_WRONLY | O_APPEND | O_CREAT, 0640);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, line, 4), 4);
        ::close(fd);
    }
    EXPECT_EQ(ReadWholeFile(dir / "new.log"), "one\ntwo\n");
}

}  // namespace
