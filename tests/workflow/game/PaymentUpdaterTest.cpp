// The payment updater's files in a temporary bin folder: what is copied from
// "ePay_original", what is left alone, and when the updater is started at all.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/ArgvRecord.h"
#include "support/TempDir.h"
#include "workflow/game/PaymentUpdater.h"

namespace fs = std::filesystem;

namespace {

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(PaymentUpdater, CopiesOnlyMissingPlainFilesAndKeepsTheirMode) {
    TempDir bin;
    bin.WriteFile("ePay_original/autoupdate.exe", "updater");
    chmod((bin / "ePay_original/autoupdate.exe").c_str(), 0755);
    bin.WriteFile("ePay_original/autoupdate.xml", "new settings");
    bin.WriteFile("ePay_original/nested/inner.dll", "not copied");
    bin.WriteFile("outside.txt", "private");
    fs::create_symlink(bin / "outside.txt", bin / "ePay_original/link.txt");
    bin.WriteFile("ePay/autoupdate.xml", "the user's settings");

    ASSERT_TRUE(PaymentUpdater::CopyMissingFiles(bin / "ePay_original", bin / "ePay"));
    EXPECT_EQ(Names(bin / "ePay"), (std::vector<std::string>{"autoupdate.exe", "autoupdate.xml"}));
    EXPECT_EQ(bin.ReadFile("ePay/autoupdate.exe"), "updater");
    EXPECT_EQ(ModeOf(bin / "ePay/autoupdate.exe"), 0755u);
    EXPECT_EQ(bin.ReadFile("ePay/autoupdate.xml"), "the user's settings");

    // Nothing to copy, nothing to fail.
    EXPECT_TRUE(PaymentUpdater::CopyMissingFiles(bin / "no such folder", bin / "ePay"));
    // A target that is not a folder takes no file.
    bin.WriteFile("plain", "x");
    EXPECT_FALSE(PaymentUpdater::CopyMissingFiles(bin / "ePay_original", bin / "plain"));
}

TEST(PaymentUpdater, StartsOnlyAnExecutableUpdaterInItsFolder) {
    TempDir bin;
    fs::create_directories(bin / "ePay");
    setenv("ARGV_RECORDER_OUT", (bin / "record").c_str(), 1);
    EXPECT_FALSE(PaymentUpdater::Launch(bin / "ePay/autoupdate.exe"));  // missing
    bin.WriteFile("ePay/autoupdate.exe", "MZ\x90\0 a program for another system");
    EXPECT_FALSE(PaymentUpdater::Launch(bin / "ePay/autoupdate.exe"));  // not executable
    fs::create_directories(bin / "ePay/folder.exe");
    chmod((bin / "ePay/folder.exe").c_str(), 0755);
    EXPECT_FALSE(PaymentUpdater::Launch(bin / "ePay/folder.exe"));
    EXPECT_FALSE(bin.Exists("record"));

    fs::copy_file(ARGV_RECORDER_PATH, bin / "ePay/autoupdate.exe", fs::copy_options::overwrite_existing);
    ASSERT_TRUE(PaymentUpdater::Launch(bin / "ePay/autoupdate.exe"));
    ArgvRecord record;
    ASSERT_TRUE(WaitForArgvRecord(bin / "record", 10000, record));
    EXPECT_EQ(record.workingDir, fs::canonical(bin / "ePay").string());
    EXPECT_EQ(record.argv, (std::vector<std::string>{bin / "ePay/autoupdate.exe", "autoupdate.xml", "0", "0"}));
    unsetenv("ARGV_RECORDER_OUT");
}
