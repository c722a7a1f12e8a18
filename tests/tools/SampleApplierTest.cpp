// The sample applier on temporary game trees: a chain of patches made by the patch maker
// brings a tree file for file to the last version, and a bad or interrupted patch leaves
// the tree exactly as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "GameTreeScan.h"
#include "PatchApplier.h"
#include "PatchMaker.h"
#include "SamplePatch.h"
#include "support/FileBytes.h"
#include "support/TempDir.h"
#include "support/versions/SignedVersions.h"

namespace fs = std::filesystem;

namespace {

using Tree = std::map<std::string, std::string>;  // relative path -> bytes

// The sample game at three versions: a file changes, one is removed, one is added in a
// new folder, and a program arrives.
const std::map<std::string, Tree> kVersions = {
    {"1.0.0", {{"bin/ZIrira.exe", "game 1"}, {"data/Packs/world.pak", std::string(70000, 'w')},
               {"data/old.txt", "old"}, {"Profiles/Launcher.cfg", "hostIP = \"127.0.0.1\"\n"}}},
    {"1.0.1", {{"bin/ZIrira.exe", "game 2"}, {"data/Packs/world.pak", std::string(70000, 'w')},
               {"Profiles/Launcher.cfg", "hostIP = \"127.0.0.1\"\n"}}},
    {"1.0.2", {{"bin/ZIrira.exe", "game 3"}, {"data/Packs/world.pak", std::string(69999, 'W') + "!"},
               {"data/Packs/new/sky.pak", "sky"}, {"bin/Tool.exe", "tool"},
               {"Profiles/Launcher.cfg", "hostIP = \"127.0.0.1\"\n"}}},
};

Tree ReadTree(const std::string& root) {
    Tree tree;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string relative = fs::relative(entry.path(), root).generic_string();
        tree[relative + (entry.is_directory() ? "/" : "")] = entry.is_directory() ? "" : ReadWholeFile(entry.path().string());
    }
    return tree;
}

class SampleApplierTest : public testing::Test {
protected:
    void SetUp() override {
        for (const auto& [version, files] : kVersions) {
            for (const auto& [path, bytes] : files) dir_.WriteFile("trees/" + version + "/" + path, bytes);
            dir_.WriteFile("versions/" + version + "/game.version", VersionFileOf(version));
        }
        for (const auto& [path, bytes] : kVersions.at("1.0.0")) dir_.WriteFile("game/" + path, bytes);
        dir_.WriteFile("game/Profiles/game.version", VersionFileOf("1.0.0"));
        dir_.WriteFile("game/Personal/Global.cfg", "launcherLogin = \"player\"\n");
    }

    std::string VersionFileOf(const std::string& version) {
        VersionWriter::Model model;
        model.version = version;
        VersionWriter::ScanOptions scan;
        EXPECT_TRUE(VersionWriter::ScanTree(dir_ / ("trees/" + version), scan, model));
        return SignedVersionFile(model);
    }

    std::string MakePatch(const std::string& from, const std::string& to) {
        SamplePatch::MakeRequest request;
        request.fromTree = dir_ / ("trees/" + from);
        request.toTree = dir_ / ("trees/" + to);
        request.fromVersion = from;
        request.toVersion = to;
        const std::string path = dir_ / ("Brennic_patch_" + from + "_" + to + "_.patch");
        std::string error;
        EXPECT_TRUE(SamplePatch::MakePatch(request, path, error)) << error;
        return path;
    }

    SampleApplier::PlanEntry Entry(const std::string& to, const std::string& patch) {
        return {to, dir_ / ("versions/" + to + "/game.version"), {patch}};
    }

    bool Apply(const std::vector<SampleApplier::PlanEntry>& plan) {
        error_.clear();
        return SampleApplier::ApplyPlan(dir_ / "game/", plan, [](const std::string&) {}, error_);
    }

    // The game tree as the version's tree, plus its version file and the player's settings.
    Tree Expected(const std::string& version) {
        Tree tree = ReadTree(dir_ / ("trees/" + version));
        tree["Profiles/game.version"] = dir_.ReadFile("versions/" + version + "/game.version");
        tree["Personal/"] = "";
        tree["Personal/Global.cfg"] = "launcherLogin = \"player\"\n";
        return tree;
    }

    TempDir dir_;
    std::string error_;
};

TEST_F(SampleApplierTest, ChainOfTwoPatchesBringsTheTreeFileForFileToTheLastVersion) {
    const std::string first = MakePatch("1.0.0", "1.0.1");
    const std::string second = MakePatch("1.0.1", "1.0.2");
    ASSERT_TRUE(Apply({Entry("1.0.1", first), Entry("1.0.2", second)})) << error_;
    EXPECT_EQ(ReadTree(dir_ / "game"), Expected("1.0.2"));
    EXPECT_EQ(SampleApplier::InstalledVersion(dir_ / "game/"), "1.0.2");
    // A program that arrives is executable; unchanged files are not carried.
    EXPECT_EQ(fs::status(dir_ / "game/bin/Tool.exe").permissions() & fs::perms::owner_exec, fs::perms::owner_exec);
    EXPECT_LT(fs::file_size(first), 2000u);
}

TEST_F(SampleApplierTest, EntryOfSeveralPatchFilesIsAppliedAsOne) {
    // The maker's patch split in two archives, each carrying half of the files.
    SamplePatch::Manifest manifest;
    manifest.from = "1.0.0";
    manifest.to = "1.0.1";
    manifest.removes = {"data/old.txt"};
    SamplePatch::Manifest rest = manifest;
    rest.removes.clear();
    rest.puts = {{"bin/ZIrira.exe", 6, SamplePatch::Crc32("game 2")}};
    dir_.WriteFile("one.patch", SamplePatch::BuildZip({{SamplePatch::kManifestName, SamplePatch::Print(manifest)}}));
    dir_.WriteFile("two.patch", SamplePatch::BuildZip({{SamplePatch::kManifestName, SamplePatch::Print(rest)},
                                                       {"files/bin/ZIrira.exe", "game 2"}}));
    ASSERT_TRUE(Apply({{"1.0.1", dir_ / "versions/1.0.1/game.version", {dir_ / "one.patch", dir_ / "two.patch"}}}))
        << error_;
    EXPECT_EQ(ReadTree(dir_ / "game"), Expected("1.0.1"));
}

// A patch that cannot be applied as a whole leaves the tree exactly as it was: no file
// changed, no staged file or new folder left behind, the old version file in place.
TEST_F(SampleApplierTest, BadOrInterruptedPatchLeavesTheTreeWhole) {
    const std::string good = dir_.ReadFile(fs::path(MakePatch("1.0.0", "1.0.1")).filename().string());
    const auto zipWith = [](const SamplePatch::Manifest& manifest, const std::vector<std::pair<std::string, std::string>>& files) {
        std::vector<std::pair<std::string, std::string>> entries = {{SamplePatch::kManifestName, SamplePatch::Print(manifest)}};
        entries.insert(entries.end(), files.begin(), files.end());
        return SamplePatch::BuildZip(entries);
    };
    SamplePatch::Manifest manifest;
    manifest.from = "1.0.0";
    manifest.to = "1.0.1";
    // The first file is staged in a new folder before the second fails: a file stands
    // where the second one's folder would be.
    SamplePatch::Manifest blocked = manifest;
    blocked.puts = {{"a/new/first.txt", 1, SamplePatch::Crc32("1")}, {"data/old.txt/inner", 1, SamplePatch::Crc32("2")}};
    SamplePatch::Manifest lying = manifest;
    lying.puts = {{"bin/ZIrira.exe", 6, SamplePatch::Crc32("game 3")}};
    std::string escaping = SamplePatch::Print(manifest) + "put 1 0 ../escape\n";
    std::string flipped = good;
    // A byte of the new game file's deflated data, right after its local header's name.
    flipped[flipped.find("files/bin/ZIrira.exe") + std::string("files/bin/ZIrira.exe").size() + 1] ^= 0x55;

    struct Case {
        const char* name;
        std::string patch;
        std::string versionFile = "versions/1.0.1/game.version";
    };
    const std::vector<Case> cases = {
        {"cut short, as by an interrupted download", good.substr(0, good.size() / 2)},
        {"a damaged byte", flipped},
        {"not a ZIP archive", "PK\3\4 not really"},
        {"no manifest", SamplePatch::BuildZip({{"files/bin/ZIrira.exe", "game 2"}})},
        {"content that does not match the manifest", zipWith(lying, {{"files/bin/ZIrira.exe", "game 2"}})},
        {"content missing", zipWith(lying, {})},
        {"a path leaving the game tree", SamplePatch::BuildZip({{SamplePatch::kManifestName, escaping}, {"files/../escape", "x"}})},
        {"a later file that cannot be staged", zipWith(blocked, {{"files/a/new/first.txt", "1"}, {"files/data/old.txt/inner", "2"}})},
        {"made for another version", dir_.ReadFile(fs::path(MakePatch("1.0.1", "1.0.2")).filename().string()),
         "versions/1.0.2/game.version"},
        {"a version file that is not signed", good, "trees/1.0.1/bin/ZIrira.exe"},
    };
    const Tree before = ReadTree(dir_ / "game");
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        dir_.WriteFile("bad.patch", test.patch);
        EXPECT_FALSE(Apply({{"1.0.1", dir_ / test.versionFile, {dir_ / "bad.patch"}}}));
        EXPECT_FALSE(error_.empty());
        EXPECT_EQ(ReadTree(dir_ / "game"), before);
        EXPECT_FALSE(dir_.Exists("escape"));
    }
}

TEST_F(SampleApplierTest, BadSecondPatchOfAChainLeavesTheFirstAppliedWhole) {
    const std::string first = MakePatch("1.0.0", "1.0.1");
    dir_.WriteFile("broken.patch", "not a patch");
    EXPECT_FALSE(Apply({Entry("1.0.1", first), Entry("1.0.2", dir_ / "broken.patch")}));
    EXPECT_EQ(ReadTree(dir_ / "game"), Expected("1.0.1"));
}

TEST(SamplePatchManifest, ReadsWhatItPrintsAndRefusesWhatItCannotTrust) {
    SamplePatch::Manifest manifest;
    manifest.from = "1.0.0";
    manifest.to = "1.0.1";
    manifest.puts = {{"data/a file with blanks.pak", 12, 0xdeadbeef}};
    manifest.removes = {"bin/Old Tool.exe"};
    SamplePatch::Manifest read;
    std::string error;
    ASSERT_TRUE(SamplePatch::Parse(SamplePatch::Print(manifest), read, error)) << error;
    EXPECT_EQ(read.puts.at(0).path, "data/a file with blanks.pak");
    EXPECT_EQ(read.puts.at(0).crc, 0xdeadbeefu);
    EXPECT_EQ(read.removes, manifest.removes);

    for (const char* bad : {"remove ../x", "remove /etc/passwd", "remove a//b", "remove a/./b", "remove a\\b",
                            "put 1 0", "put -1 0 a", "put 1 xyz a", "remove a\x01b", "rename a b"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(SamplePatch::Parse("sample-patch 1\nfrom 1\nto 2\n" + std::string(bad) + "\n", read, error));
    }
    EXPECT_FALSE(SamplePatch::Parse("sample-patch 1\nto 2\n", read, error));
    EXPECT_FALSE(SamplePatch::Parse("a zip of something else\n", read, error));
}

}  // namespace
