#include <gtest/gtest.h>

#include <vector>

#include "workflow/VersionCompare.h"
#include "workflow/WorkflowValues.h"

namespace {

TEST(VersionCompare, ComparesNumerically) {
    struct Case {
        const char* a;
        const char* b;
        int expected;
    } cases[] = {
        {"1.10", "1.9", 1},
        {"1.9", "1.10", -1},
        {"2", "2.0.0", 0},
        {"1.2", "1.2.0.0", 0},
        {"1.2.0.1", "1.2", 1},
        {"1.x", "0", 0},  // does not parse: all zeros
        {"", "0.0.1", -1},
        {"", "", 0},
        {"3.0.12a", "3.0.12", 0},
        {"-1", "0", -1},
        {" 7", "7", 0},
        {"1..2", "0", 0},
        {"..", "0", 0},
        {"99999999999", "1", -1},  // out of range: unparseable, not a wrapped number
        {"1.99999999999", "0", 0},
        {"2147483647", "2147483646", 1},
        {"junk", "0.0.0", 0},
        {"\xC3\xA9.1", "0", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(CompareVersions(c.a, c.b), c.expected) << c.a << " vs " << c.b;
}

TEST(VersionCompare, ParseVersionClearsTheListOnFailure) {
    VersionParts parts;
    ASSERT_TRUE(ParseVersion("4.12a.0", parts));
    EXPECT_EQ(std::vector<int>(parts.begin(), parts.end()), (std::vector<int>{4, 12, 0}));
    EXPECT_FALSE(ParseVersion("4.2.", parts));
    EXPECT_TRUE(parts.Empty());
    EXPECT_FALSE(ParseVersion("4.99999999999", parts));
    EXPECT_TRUE(parts.Empty());
}

TEST(VersionCompare, AgainstTheServerVersion) {
    Workflow::ServerVersion() = "2.5.1";
    EXPECT_EQ(CompareWithServerVersion("2.5.1.0"), 0);
    EXPECT_EQ(CompareWithServerVersion("2.6"), 1);
    EXPECT_EQ(CompareWithServerVersion("2.5"), -1);
    Workflow::ServerVersion() = "";
}

TEST(WorkflowValues, StartValues) {
    EXPECT_FALSE(Workflow::ProgressiveDownload().load());
    EXPECT_TRUE(Workflow::MinimumCheck().load());
    EXPECT_EQ(Workflow::RequestedChannel(), 0.0f);
    EXPECT_FALSE(Workflow::FutureUpdate());
    EXPECT_FALSE(Workflow::ChnServerList().isChn);
    EXPECT_TRUE(Workflow::ChnServerList().srvlistUrl.IsEmpty());
    // One value for every reader.
    EXPECT_EQ(&Workflow::PrepatchVersion(), &Workflow::PrepatchVersion());
}

}  // namespace
