#include <gtest/gtest.h>
#include <unistd.h>

#include <regex>
#include <string>

#include "base/runtime/Log.h"
#include "support/ScratchDir.h"

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

    ScratchDir dir;

private:
    std::string previous_;
};

const std::string kStamp = "[0-9]{4}-[A-Z][a-z]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}: ";

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
    EXPECT_TRUE(std::regex_match(text, std::regex(kStamp + "started\n" + kStamp + "J\xC3\xBCrgen \xE6\x97\xA5\n" +
                                                  kStamp + "still open\n")))
        << text;
}

TEST_F(LogTest, CreatesTheMissingFolders) {
    ASSERT_FALSE(FileExistsAt(dir / "game/Personal"));
    std::ostream* log = GetLog(u"created.log");
    ASSERT_NE(log, nullptr);
    *log << "x\n" << std::flush;
    EXPECT_TRUE(std::regex_match(ReadWholeFile(dir / "game/Personal/Logs/created.log"), std::regex(kStamp + "x\n")));
}

TEST_F(LogTest, UnusableFolderGivesNullForTheRun) {
    // A file where the folder should be: nothing can be created below it.
    ASSERT_TRUE(WriteWholeFile(dir / "game/Personal", "not a folder"));
    EXPECT_EQ(GetLog(u"blocked.log"), nullptr);
    ASSERT_EQ(unlink((dir / "game/Personal").c_str()), 0);
    EXPECT_EQ(GetLog(u"blocked.log"), nullptr);  // not retried
}

}  // namespace
