// The patch history as the server writes it, and the chain chosen from it: a decision
// table of literal documents, the chain check, and what makes a history unusable.
#include "engine/servers/PatchesTree.h"

#include <gtest/gtest.h>

#include <string>

#include "base/io/MemoryStream.h"
#include "base/runtime/StrUtil.h"

namespace {

RefPtr<PatchesTree> LoadText(const std::string& text) {
    RefPtr<CMemoryStream> stream(new CMemoryStream());
    stream->Write(text.data(), text.size());
    return PatchesTree::Load(stream.Get());
}

// A history with the three file names around the given versions.
RefPtr<PatchesTree> History(const std::string& versions, const std::string& root = "History") {
    return LoadText("<?xml version=\"1.0\" encoding=\"UTF-8\"?><" + root +
                    "><ripTorrentFile>Rip.torrent</ripTorrentFile><versionFile>game.version</versionFile>"
                    "<repairInstallerFile>repair.exe</repairInstallerFile><versions>" +
                    versions + "</versions></" + root + ">");
}

// One version: its number and its updates, each "TARGET:WEIGHT" with optional
// ":ID" and "!" for beaten.
std::string Version(const std::string& number, const std::vector<std::string>& updates = {}) {
    std::string xml = "<Item><versionNumber>" + number + "</versionNumber><updates>";
    for (std::string update : updates) {
        const bool beaten = update.back() == '!';
        if (beaten) update.pop_back();
        StringVector parts;
        StrUtil::Split(String(update.c_str()), String(":"), parts);
        const std::string target = parts[0].Std();
        xml += "<Item><patchedTo>" + target + "</patchedTo><weight>" + parts[1].Std() + "</weight>";
        if (parts.Size() > 2) xml += "<varaRurezodID>" + parts[2].Std() + "</varaRurezodID>";
        if (beaten) xml += "<beaten>true</beaten>";
        xml += "<torrentFile>" + number + "-" + target + ".torrent</torrentFile></Item>";
    }
    return xml + "</updates></Item>";
}

std::string Chain(const Vector<UpdateItem>& updates) {
    std::string chain;
    for (const UpdateItem& update : updates) chain += (chain.empty() ? "" : ">") + String(update.patchedTo).Std();
    return chain;
}

// Versions of the table are whole numbers.
PastAnnounced StopPast(int announced) {
    if (announced == 0) return {};
    return [announced](const WideString& version) { return std::stoi(String(version).Std()) > announced; };
}

}  // namespace

TEST(PatchChain, DecisionTable) {
    struct Case {
        const char* what;
        std::string versions;
        std::string installed;
        int announced;  // 0: no stop at the announced version
        bool found;
        std::string chain;
    } cases[] = {
        {"equal totals: the first in the list wins",
         Version("1", {"3:5", "2:2"}) + Version("2", {"3:3"}) + Version("3"), "1", 0, true, "3"},
        {"a cheaper chain through a version between",
         Version("1", {"3:6", "2:2"}) + Version("2", {"3:3"}) + Version("3"), "1", 0, true, "2>3"},
        {"weights summed along the whole chain",
         Version("1", {"2:1", "3:1"}) + Version("2", {"4:9"}) + Version("3", {"4:1"}) + Version("4"), "1", 0, true, "3>4"},
        {"a beaten update is never chosen, however cheap",
         Version("1", {"3:0!", "2:2"}) + Version("2", {"3:3"}) + Version("3"), "1", 0, true, "2>3"},
        {"only beaten updates: no choice", Version("1", {"2:0!"}) + Version("2"), "1", 0, false, ""},
        {"a negative weight beats zero", Version("1", {"3:0", "2:-1"}) + Version("2", {"3:0"}) + Version("3"), "1", 0,
         true, "2>3"},
        {"a total that would wrap around 32 bits is not cheap",
         Version("1", {"2:2147483000", "3:10"}) + Version("2", {"3:2147483000"}) + Version("3"), "1", 0, true, "3"},
        {"a total of 0x7FFFFFFF is never chosen", Version("1", {"2:0x7FFFFFFF"}) + Version("2"), "1", 0, false, ""},
        {"another varaRurezodID ends the chain",
         Version("1", {"2:1:1"}) + Version("2", {"3:1:2"}) + Version("3"), "1", 0, true, "2"},
        {"a target missing from the history ends the chain and costs its own weight",
         Version("1", {"9:1", "2:0"}) + Version("2", {"3:5"}) + Version("3"), "1", 0, true, "9"},
        {"a skipped version keeps no number: the chain stops there",
         Version("1", {"2:1"}) + "<Item skiped=\"1\"><versionNumber>2</versionNumber><updates><Item><patchedTo>3"
                                  "</patchedTo><torrentFile>x</torrentFile></Item></updates></Item>" + Version("3"),
         "1", 0, true, "2"},
        {"fields as attributes, hexadecimal and negative",
         "<v><versionNumber>1</versionNumber><updates>"
         "<u beaten=\"false\" varaRurezodID=\"1\" weight=\"0x10\"><patchedTo>3</patchedTo><torrentFile>a</torrentFile></u>"
         "<u beaten=\"0\" varaRurezodID=\"1\" weight=\"-3\"><patchedTo>2</patchedTo><torrentFile>b</torrentFile></u>"
         "<u beaten=\"True\" weight=\"-99\"><patchedTo>3</patchedTo><torrentFile>c</torrentFile></u>"
         "</updates></v>" + Version("2", {"3:4:1"}) + Version("3"),
         "1", 0, true, "2>3"},
        {"of two elements of one number the earlier counts",
         Version("1", {"2:1"}) + Version("2", {"3:5"}) + Version("2", {"4:1"}) + Version("3") + Version("4"), "1", 0, true,
         "2>3"},
        {"the announced version stops the chain", Version("1", {"2:1"}) + Version("2", {"3:1"}) + Version("3"), "1", 2,
         true, "2"},
        {"the announced version may stop the first patch", Version("1", {"2:1"}) + Version("2"), "1", 1, true, ""},
        {"a patch back to an earlier version ends the chain where it would turn",
         Version("1", {"2:1"}) + Version("2", {"1:-10", "3:1"}) + Version("3"), "1", 0, true, "2"},
        {"patches chosen in a circle end the walks", Version("1", {"2:1"}) + Version("2", {"3:1"}) + Version("3", {"2:1"}),
         "1", 0, true, "2>3"},
        {"a patch to its own version", Version("1", {"1:-5", "2:1"}) + Version("2"), "1", 0, true, ""},
        {"installed is the latest and has no patch", Version("1", {"2:1"}) + Version("2"), "2", 0, true, ""},
        {"installed is not in the history", Version("1", {"2:1"}) + Version("2"), "7", 0, false, ""},
        {"the latest is the last element, not the highest number", Version("5") + Version("4"), "5", 0, false, ""},
        {"no versions at all", "", "", 0, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RefPtr<PatchesTree> tree = History(c.versions);
        ASSERT_TRUE(tree);
        Vector<UpdateItem> updates;
        WideString latest;
        EXPECT_EQ(PatchesTree::FindPath(*tree, WideString(String(c.installed.c_str())), updates, latest,
                                        StopPast(c.announced)),
                  c.found);
        EXPECT_EQ(Chain(updates), c.chain);
    }
}

TEST(PatchChain, TheChosenPatchesCarryTheirRecords) {
    const RefPtr<PatchesTree> tree = History(Version("1.0.1", {"1.0.2:1:7"}) + Version("1.0.2", {"1.0.3:1:7"}) +
                                                 Version("1.0.3"),
                                             "AnyRootName");
    ASSERT_TRUE(tree);
    Vector<UpdateItem> updates;
    WideString latest;
    ASSERT_TRUE(PatchesTree::FindPath(*tree, WideString(u"1.0.1"), updates, latest, {}));
    EXPECT_EQ(String(latest).Std(), "1.0.3");
    ASSERT_EQ(updates.Size(), 2u);
    EXPECT_EQ(String(updates[1].torrentFile).Std(), "1.0.2-1.0.3.torrent");
    EXPECT_EQ(updates[1].varaRurezodID, 7);
    EXPECT_EQ(updates[1].weight, 1);
}

TEST(PatchChain, ALongHistoryIsWalkedToItsEnd) {
    // Every version patches to the next three; skipping one is dearer than two steps.
    constexpr int kVersions = 2000;
    std::string versions;
    for (int v = 1; v <= kVersions; ++v) {
        std::vector<std::string> updates;
        for (int step = 1; step <= 3 && v + step <= kVersions; ++step)
            updates.push_back(std::to_string(v + step) + ":" + std::to_string(step * step));
        versions += Version(std::to_string(v), updates);
    }
    const RefPtr<PatchesTree> tree = History(versions);
    ASSERT_TRUE(tree);
    Vector<UpdateItem> updates;
    WideString latest;
    ASSERT_TRUE(PatchesTree::FindPath(*tree, WideString(u"1"), updates, latest, {}));
    ASSERT_EQ(updates.Size(), static_cast<std::size_t>(kVersions - 1));
    EXPECT_EQ(String(updates[updates.Size() - 1].patchedTo).Std(), std::to_string(kVersions));
}

TEST(PatchChain, CheckChainFollowsTheChosenPatches) {
    const RefPtr<PatchesTree> tree =
        History(Version("1", {"3:5", "2:1"}) + Version("2", {"3:1"}) + Version("3", {"4:1"}) + Version("4"));
    ASSERT_TRUE(tree);
    auto check = [&](std::initializer_list<const char16_t*> versions) {
        WideStringVector chain;
        for (const char16_t* version : versions) chain.PushBack(WideString(version));
        return PatchesTree::CheckChain(*tree, chain);
    };
    EXPECT_TRUE(check({}));
    EXPECT_TRUE(check({u"9"}));
    EXPECT_TRUE(check({u"1", u"2", u"3", u"4"}));
    EXPECT_TRUE(check({u"2", u"3"}));
    EXPECT_FALSE(check({u"1", u"3"}));  // 1's chosen patch leads to 2
    EXPECT_FALSE(check({u"9", u"1"}));
    EXPECT_FALSE(check({u"4", u"5"}));  // the latest has no patch
}

TEST(PatchHistory, UnusableDocumentsLoadAsNothing) {
    EXPECT_FALSE(LoadText(""));
    EXPECT_FALSE(LoadText("<html><body>Service unavailable</body></html>"));
    EXPECT_FALSE(LoadText(std::string("\x00\xff garbage", 11)));
    EXPECT_FALSE(LoadText("<H><ripTorrentFile>r</ripTorrentFile><versionFile>v</versionFile></H>"));
    EXPECT_FALSE(LoadText("<H><ripTorrentFile>r</ripTorrentFile><versionFile>v</versionFile>"
                          "<repairInstallerFile></repairInstallerFile></H>"));
    const RefPtr<PatchesTree> tree = LoadText(
        "<H><repairInstallerFile>i</repairInstallerFile><versionFile>v</versionFile>"
        "<oldVersionNumber>1.0.0</oldVersionNumber><ripTorrentFile>r &amp; s</ripTorrentFile></H>");
    ASSERT_TRUE(tree);
    EXPECT_EQ(String(tree->ripTorrentFile).Std(), "r & s");
    EXPECT_EQ(String(tree->oldVersionNumber).Std(), "1.0.0");
    EXPECT_TRUE(tree->versions.Empty());
}
