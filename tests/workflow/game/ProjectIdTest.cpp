// The hub project id from the game's Version.pak, in archives the tests build: the
// entry's text with its '#' padding, and every way it can fail to be a number.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/TempDir.h"
#include "support/ZipBuilder.h"
#include "workflow/game/ProjectId.h"

namespace {

constexpr char kEntry[] = "Version/VantryInfo.bin";

int IdFromPack(const TempDir& dir, const std::string& bytes) {
    dir.WriteFile("Version.pak", bytes);
    return ReadProjectId(String((dir / "Version.pak").c_str()));
}

}  // namespace

TEST(ProjectId, ReadsTheEntrysNumberWithoutItsPadding) {
    TempDir dir;
    const struct {
        std::string text;
        std::uint16_t method;
        int id;
    } cases[] = {
        {"1234", 0, 1234},
        {"##12#34##", 0, 1234},
        {"####5107", 8, 5107},   // deflated
        {"  42\r\n", 0, 42},     // the number's reading skips blanks before it and stops after it
        {"-7", 0, -7},
        {"", 0, 0},
        {"#", 0, 0},
        {"####", 0, 0},
        {"project", 0, 0},
        {"99999999999", 0, 0},   // does not fit an int
        {std::string(kMaxProjectIdEntry + 1, '#') + "1", 0, 0},  // a multi-kilobyte entry is not read
        {std::string(kMaxProjectIdEntry - 1, '#') + "1", 8, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IdFromPack(dir, ZipBuilder().Add("Version/Other.bin", "9").Add(kEntry, c.text, c.method).Build()),
                  c.id)
            << c.text.substr(0, 20);
}

TEST(ProjectId, OnlyThatEntryOfAReadablePackCounts) {
    TempDir dir;
    EXPECT_EQ(ReadProjectId(String((dir / "missing.pak").c_str())), 0);
    EXPECT_EQ(IdFromPack(dir, ""), 0);
    EXPECT_EQ(IdFromPack(dir, "PK\3\4 not really a zip"), 0);
    EXPECT_EQ(IdFromPack(dir, ZipBuilder().Build()), 0);
    EXPECT_EQ(IdFromPack(dir, ZipBuilder().Add("version/vantryinfo.bin", "5").Build()), 0);  // names are exact
    EXPECT_EQ(IdFromPack(dir, ZipBuilder().Add("Version/VantryInfo.bin.old", "5").Build()), 0);
    // The first entry of the name is the one read.
    EXPECT_EQ(IdFromPack(dir, ZipBuilder().Add(kEntry, "11").Add(kEntry, "22").Build()), 11);
    // A deflated entry whose data is damaged (a reserved block type) is not a number.
    ZipBuilder builder;
    builder.Add(kEntry, std::string(64, '3'), 8);
    std::string damaged = builder.Build();
    damaged[builder.LastLayout().localHeaders[0] + 30 + std::strlen(kEntry)] = 0x07;
    EXPECT_EQ(IdFromPack(dir, damaged), 0);
}
