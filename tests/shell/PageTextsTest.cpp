// The page's text tables: every table of one language has its twin in the other with
// the same keys, so that no English page shows a Russian line (the fallback) and no
// text is missing; and every text the main page names by key is in both languages.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "support/FileBytes.h"

namespace fs = std::filesystem;

namespace {

const fs::path kResources = LAUNCHER_TEST_DATA "/../Client/resources";

std::string Read(const fs::path& path) { return ReadWholeFile(path.string()); }

// The keys a table file defines: each line `"key": ...` outside comments.
std::set<std::string> KeysOf(const fs::path& table) {
    static const std::regex entry(R"re(^\s*"([^"\\]+)"\s*:)re");
    std::set<std::string> keys;
    std::istringstream lines(Read(table));
    for (std::string line; std::getline(lines, line);) {
        std::smatch match;
        if (std::regex_search(line, match, entry)) keys.insert(match[1]);
    }
    return keys;
}

std::set<std::string> AllKeys(const std::string& locale) {
    std::set<std::string> keys;
    for (const auto& entry : fs::directory_iterator(kResources / ("LauncherLocale" + locale))) {
        const std::set<std::string> part = KeysOf(entry.path());
        keys.insert(part.begin(), part.end());
    }
    return keys;
}

}  // namespace

TEST(PageTexts, EveryTableHasItsTwinWithTheSameKeys) {
    std::size_t tables = 0;
    for (const auto& entry : fs::directory_iterator(kResources / "LauncherLocaleru")) {
        SCOPED_TRACE(entry.path().filename().string());
        const fs::path twin = kResources / "LauncherLocaleen" / entry.path().filename();
        ASSERT_TRUE(fs::exists(twin));
        const std::set<std::string> russian = KeysOf(entry.path());
        EXPECT_FALSE(russian.empty());
        EXPECT_EQ(russian, KeysOf(twin));
        ++tables;
    }
    std::size_t english = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(kResources / "LauncherLocaleen")) ++english;
    EXPECT_EQ(english, tables);
}

TEST(PageTexts, EveryKeyTheMainPageNamesIsInBothLanguages) {
    static const std::regex named(R"re(data-(?:text|title)="([^"]+)")re");
    const std::string page = Read(kResources / "Launcher/res/launcher.htm");
    const std::set<std::string> russian = AllKeys("ru");
    const std::set<std::string> english = AllKeys("en");
    std::size_t keys = 0;
    for (std::sregex_iterator it(page.begin(), page.end(), named), end; it != end; ++it, ++keys) {
        const std::string key = (*it)[1];
        EXPECT_TRUE(russian.count(key)) << key;
        EXPECT_TRUE(english.count(key)) << key;
    }
    EXPECT_GT(keys, 50u);
}
