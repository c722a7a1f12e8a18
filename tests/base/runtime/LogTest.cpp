#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <sstream>
#include <vector>
#include <string>

#include "base/runtime/Log.h"
#include "support/LinkBait.h"
#include "support/ScopedTempFolder.h"

namespace {

// A game tree whose bin/ folder is the current directory, as for the running launcher.
class LogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteWholeFile(dir / "game/bin/Launcher.exe", ""));
        char buffer[4096];
        ASSERT_NE(getcwd(buffer, sizeof buffer), nullptr);
        previous_ = buffer;
        ASSERT_EQ(chdir((dir / "game/bin").c_str()), 0);
    }
    void TearDown() override { ASSERT_EQ(chdir(previous_.c_str()), 0); }

    ScopedTempFolder dir;

private:
    std::string previous_;
};

// Each line: the local time as "2013-May-28 17:45:02", ": ", then the text.
bool IsStamped(const std::string& line, const std::string& text) {
    static const std::string shape = "9999-Aaa-99 99:99:99: ";
    if (line.size() != shape.size() + text.size() || line.compare(shape.size(), text.size(), text) != 0) return false;
    for (std::size_t i = 0; i < shape.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(line[i]);
        const bool fits = shape[i] == '9' ? std::isdigit(c) : shape[i] == 'A' ? std::isupper(c)
                        : shape[i] == 'a' ? std::islower(c) : c == static_cast<unsigned char>(shape[i]);
        if (!fits) return false;
    }
    return true;
}

std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST_F(LogTest, OneFilePerNameTruncatedOnlyByTheFirstCall) {
    ASSERT_TRUE(WriteWholeFile(dir / "game/Personal/Logs/first.log", "left from the last run\n"));
    std::ostream* log = GetLog(u"first.log");
    ASSERT_NE(log, nullptr);
    *log << "started\n";
    std::ostream* again = GetLog(u"first.log");
    ASSERT_EQ(again, log);
    *again << "J\xC3\xBCrgen \xE6\x97\xA5\n";  // UTF-8 goes through unchanged
    *GetLog(u"first.log") << "still open\n";
    log->flush();
    const std::string text = ReadWholeFile(dir / "game/Personal/Logs/first.log");
    const std::vector<std::string> lines = LinesOf(text);
    ASSERT_EQ(lines.size(), 3u) << text;
    EXPECT_TRUE(IsStamped(lines[0], "started")) << lines[0];
    EXPECT_TRUE(IsStamped(lines[1], "J\xC3\xBCrgen \xE6\x97\xA5")) << lines[1];
    EXPECT_TRUE(IsStamped(lines[2], "still open")) << lines[2];
}

// Run as root over a folder the player can write, the launcher must not be made to
// truncate and write a file of the system through a planted link.
TEST_F(LogTest, ALinkInPlaceOfALogIsReplacedByTheLogNotFollowed) {
    const LinkBait bait(dir / "etc/passwd", dir / "game/Personal/Logs/linked.log");
    std::ostream* log = GetLog(u"linked.log");
    ASSERT_NE(log, nullptr);
    *log << "written\n" << std::flush;
    EXPECT_TRUE(bait.Untouched());
    EXPECT_TRUE(bait.ReplacedByAFile());
    const std::vector<std::string> lines = LinesOf(ReadWholeFile(dir / "game/Personal/Logs/linked.log"));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(IsStamped(lines[0], "written")) << lines[0];
}

// A FIFO nobody reads would hold a plain open for writing for ever.
TEST_F(LogTest, AFifoInPlaceOfALogDoesNotHoldTheLauncher) {
    ASSERT_TRUE(WriteWholeFile(dir / "game/Personal/Logs/other.log", ""));
    ASSERT_EQ(mkfifo((dir / "game/Personal/Logs/fifo.log").c_str(), 0600), 0);
    std::ostream* log = GetLog(u"fifo.log");
    ASSERT_NE(log, nullptr);
    *log << "x\n" << std::flush;
    EXPECT_EQ(LinesOf(ReadWholeFile(dir / "game/Personal/Logs/fifo.log")).size(), 1u);
}

TEST_F(LogTest, CreatesTheMissingFolders) {
    ASSERT_FALSE(FileExistsAt(dir / "game/Personal"));
    std::ostream* log = GetLog(u"created.log");
    ASSERT_NE(log, nullptr);
    *log << "x\n" << std::flush;
    const std::vector<std::string> lines = LinesOf(ReadWholeFile(dir / "game/Personal/Logs/created.log"));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(IsStamped(lines[0], "x")) << lines[0];
}

TEST_F(LogTest, UnusableFolderGivesNullForTheRun) {
    // A file where the folder should be: nothing can be created below it.
    ASSERT_TRUE(WriteWholeFile(dir / "game/Personal", "not a folder"));
    EXPECT_EQ(GetLog(u"blocked.log"), nullptr);
    ASSERT_EQ(unlink((dir / "game/Personal").c_str()), 0);
    EXPECT_EQ(GetLog(u"blocked.log"), nullptr);  // not retried
}

}  // namespace

namespace {

TEST_F(LogTest, SwitchedOffLogsCreateNothing) {
    SetLogFolder(String());
    EXPECT_EQ(GetLog(u"off.log"), nullptr);
    SetLogFolder(String("../Personal/Logs/"));
    EXPECT_FALSE(FileExistsAt(dir / "game/Personal"));
}

}  // namespace
