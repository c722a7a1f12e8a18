// The manual patch through the scripted prompt, over real patch folders in a temporary
// folder whose appliers are small shell scripts: the folder checks and their messages,
// the chain of sibling folders, and appliers that hang, crash or cannot run.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/headless/ScriptedUserPrompt.h"
#include "shell/resources/StringTable.h"
#include "support/TempDir.h"
#include "support/versions/SignedVersions.h"
#include "workflow/WorkflowValues.h"
#include "workflow/patches/ManualPatch.h"

namespace {

using namespace std::chrono_literals;
using Kind = ScriptedUserPrompt::Kind;

std::string Text(const WideString& text) { return String(text).Std(); }
WideString Wide(const std::string& text) { return WideString(String(text.c_str())); }

// An applier that appends its arguments to "calls" beside its folder, then does what
// the body says.
std::string Applier(const std::string& body) {
    return "#!/bin/sh\nprintf '%s|' \"$0\" \"$@\" >> \"$(dirname \"$0\")/../calls\"\necho >> \"$(dirname \"$0\")/../calls\"\n" +
           body + "\n";
}

enum class VersionFile { Signed, None, Unsigned, OtherVersion };

// The version that the last of these patch names ("A_B_FROM_TO_REST") leads to.
std::string LeadsTo(const std::vector<std::string>& patches) {
    std::string to;
    for (const std::string& patch : patches) {
        std::vector<std::string> fields(1);
        for (char c : patch) {
            if (c == '_') fields.emplace_back();
            else fields.back().push_back(c);
        }
        if (fields.size() >= 5) to = fields[3];
    }
    return to;
}

class ManualPatchTest : public ::testing::Test {
protected:
    void SetUp() override { Workflow::ServerVersion() = "9"; }
    void TearDown() override { Workflow::ServerVersion() = ""; }

    // A patch folder named like its patch, holding that patch, the signed version file of
    // the version it leads to and an applier that exits with the code.
    std::string PatchFolder(const std::string& folder, const std::vector<std::string>& patches,
                            const std::string& applierBody = "exit 4", VersionFile versionFile = VersionFile::Signed) {
        for (const std::string& patch : patches) dir.WriteFile(folder + "/" + patch, "patch bytes");
        const std::string leadsTo = LeadsTo(patches);
        if (versionFile == VersionFile::Signed) dir.WriteFile(folder + "/game.version", SignedVersionFile({leadsTo, {}}));
        if (versionFile == VersionFile::OtherVersion) dir.WriteFile(folder + "/game.version", SignedVersionFile({leadsTo + ".1", {}}));
        if (versionFile == VersionFile::Unsigned) dir.WriteFile(folder + "/game.version", "ver5 " + leadsTo);
        if (!applierBody.empty()) {
            dir.WriteFile(folder + "/VaraRurezod.exe", Applier(applierBody));
            ::chmod((dir / (folder + "/VaraRurezod.exe")).c_str(), 0755);
        }
        return dir / (folder + "/VaraRurezod.exe");
    }
    std::string Chained(const std::string& folder, const std::string& applierBody = "exit 4") {
        return PatchFolder(folder, {std::filesystem::path(folder).filename().string()}, applierBody);
    }
    // The folders whose appliers were asked, in order.
    std::vector<std::string> Calls() const {
        std::vector<std::string> folders;
        const std::string calls = dir.ReadFile("calls");
        std::size_t start = 0;
        for (std::size_t end; (end = calls.find('\n', start)) != std::string::npos; start = end + 1) {
            const std::string line = calls.substr(start, end - start);
            const std::string program = line.substr(0, line.find('|'));
            folders.push_back(std::filesystem::path(program).parent_path().filename().string());
        }
        return folders;
    }
    std::optional<ManualPatchChain> Choose(const std::string& installed) {
        return ManualPatch(prompt, 2000).Choose(Wide(installed));
    }

    TempDir dir;
    ScriptedUserPrompt prompt;
};

TEST_F(ManualPatchTest, ChainedSiblingFoldersBecomeOnePlanInChainOrder) {
    prompt.files.push_back(Chained("p_q_1.0.1_1.0.2_.patch"));
    // Names are matched without letter case; an unrelated sibling is left alone.
    Chained("P_Q_1.0.2_1.0.3_.PATCH");
    Chained("p_q_1.0.5_1.0.6_.patch");
    prompt.answers.push_back(true);

    const std::optional<ManualPatchChain> chain = Choose("1.0.1");
    ASSERT_TRUE(chain);
    EXPECT_EQ(Text(chain->applierPath), dir / "p_q_1.0.1_1.0.2_.patch/VaraRurezod.exe");
    ASSERT_EQ(chain->entries.Size(), 2u);
    const ManualPatchEntry& first = chain->entries[0];
    EXPECT_EQ(Text(first.version), "1.0.2");
    EXPECT_EQ(Text(first.gameVersionFile), dir / "p_q_1.0.1_1.0.2_.patch/game.version");
    ASSERT_EQ(first.patchFiles.Size(), 1u);
    EXPECT_EQ(Text(first.patchFiles[0]), dir / "p_q_1.0.1_1.0.2_.patch/p_q_1.0.1_1.0.2_.patch");
    EXPECT_EQ(Text(chain->entries[1].version), "1.0.3");

    // The file dialog, then the confirmation naming the last version, under the game's name.
    ASSERT_EQ(prompt.shown.size(), 2u);
    EXPECT_EQ(prompt.shown[0].kind, Kind::File);
    EXPECT_EQ(prompt.shown[0].text, Text(FormatResString(160, {WideString(u"1.0.1")})));
    EXPECT_EQ(prompt.shown[0].caption, Text(LoadResString(161)) + " (VaraRurezod.exe)");
    EXPECT_EQ(prompt.fileRequests[0].fileName, "VaraRurezod.exe");
    EXPECT_EQ(prompt.shown[1].kind, Kind::Question);
    EXPECT_EQ(prompt.shown[1].text, Text(FormatResString(165, {WideString(u"1.0.3")})));
    EXPECT_EQ(prompt.shown[1].caption, "Бренник Онлайн");
    // Each applier was asked once for its version, as one argument after its own path.
    EXPECT_EQ(Calls(), (std::vector<std::string>{"p_q_1.0.1_1.0.2_.patch", "P_Q_1.0.2_1.0.3_.PATCH"}));
    EXPECT_NE(dir.ReadFile("calls").find("/VaraRurezod.exe|-version|"), std::string::npos);
}

TEST_F(ManualPatchTest, TheChainEndsAtAFolderThatDoesNotContinueIt) {
    const struct {
        const char* name;
        std::string second;      // the sibling found by the first folder's mask
        std::string secondBody;  // its applier
        std::size_t entries;
    } cases[] = {
        {"another applier version", "p_q_2_3_.patch", "exit 5", 1},
        {"applier crashes", "p_q_2_3_.patch", "kill -SEGV $$", 1},
        {"not announced yet", "p_q_2_9.9_.patch", "exit 4", 1},
        {"leads back", "p_q_2_1_.patch", "exit 4", 1},
        {"continues", "p_q_2_3_.patch", "exit 4", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(dir / "chain");
        prompt.files.push_back(Chained("chain/p_q_1_2_.patch"));
        Chained("chain/" + c.second, c.secondBody);
        prompt.answers.push_back(true);
        const std::optional<ManualPatchChain> chain = Choose("1");
        ASSERT_TRUE(chain);
        EXPECT_EQ(chain->entries.Size(), c.entries);
        EXPECT_EQ(prompt.shown.back().text,
                  Text(FormatResString(165, {chain->entries[chain->entries.Size() - 1].version})));
    }
}

TEST_F(ManualPatchTest, AFolderMatchingItsOwnNextMaskIsNotWalkedAgain) {
    // The folder's patch leads 7 -> 2, and the mask of what follows 2 matches the folder
    // itself; the sibling that matches too starts elsewhere.
    prompt.files.push_back(PatchFolder("a_b_2_x_.patch", {"a_b_7_2_.patch"}));
    PatchFolder("a_b_2_z_.patch", {"a_b_9_3_.patch"});
    prompt.answers.push_back(true);

    const std::optional<ManualPatchChain> chain = Choose("7");
    ASSERT_TRUE(chain);
    EXPECT_EQ(chain->entries.Size(), 1u);
    EXPECT_EQ(prompt.shown.back().text, Text(FormatResString(165, {WideString(u"2")})));
    EXPECT_EQ(Calls(), (std::vector<std::string>{"a_b_2_x_.patch", "a_b_2_z_.patch"}));
}

TEST_F(ManualPatchTest, MaskCharactersInNamesMatchOnlyThemselves) {
    const struct {
        std::string prefix, decoy;
    } cases[] = {{"x[1]", "x1"}, {"p*", "pZZ"}, {"w?", "wA"}, {"b\\", "b"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.prefix);
        std::filesystem::remove_all(dir / "set");
        prompt.files.push_back(Chained("set/" + c.prefix + "_q_1_2_.patch"));
        // The decoy sorts first and would chain if the prefix were a pattern.
        Chained("set/" + c.decoy + "_q_2_3_.patch");
        Chained("set/" + c.prefix + "_q_2_4_.patch");
        prompt.answers.push_back(true);
        const std::optional<ManualPatchChain> chain = Choose("1");
        ASSERT_TRUE(chain);
        ASSERT_EQ(chain->entries.Size(), 2u);
        EXPECT_EQ(Text(chain->entries[1].version), "4");
    }
}

TEST_F(ManualPatchTest, RefusedFoldersAreExplainedAndTheDialogComesBack) {
    prompt.files = {
        PatchFolder("short", {"p_q_1_2.patch", "p_1_2_.patch"}),  // fewer than five fields
        PatchFolder("empty versions", {"____.patch"}),
        PatchFolder("no version file", {"p_q_1_2_.patch"}, "exit 4", VersionFile::None),
        PatchFolder("unsigned version file", {"p_q_1_2_.patch"}, "exit 4", VersionFile::Unsigned),
        PatchFolder("version file of another version", {"p_q_1_2_.patch"}, "exit 4", VersionFile::OtherVersion),
        PatchFolder("no applier", {"p_q_1_2_.patch"}, ""),
        PatchFolder("future", {"p_q_0.5_12.0_.patch"}),  // whatever its start
        PatchFolder("other start", {"p_q_1.0.0_1.0.2_.patch"}),
        std::nullopt,
    };
    EXPECT_FALSE(Choose("1.0.1"));

    const std::string missing = Text(LoadResString(164));
    const std::vector<std::string> expected = {
        missing, missing, missing, missing, missing, missing, Text(LoadResString(163)),
        Text(FormatResString(162, {WideString(u"1.0.0"), WideString(u"1.0.1")})),
    };
    std::vector<std::string> messages;
    for (const ScriptedUserPrompt::Shown& shown : prompt.shown) {
        if (shown.kind == Kind::Message) {
            messages.push_back(shown.text);
            EXPECT_EQ(shown.caption, "Бренник Онлайн");
        }
    }
    EXPECT_EQ(messages, expected);
    EXPECT_EQ(prompt.fileRequests.size(), 9u);
    EXPECT_TRUE(prompt.files.empty());
}

TEST_F(ManualPatchTest, CancellingOrAnsweringNoChangesNothing) {
    EXPECT_FALSE(Choose("1"));
    EXPECT_EQ(prompt.shown.size(), 1u);

    prompt.files.push_back(Chained("p_q_1_2_.patch"));
    prompt.answers.push_back(false);
    EXPECT_FALSE(Choose("1"));
    EXPECT_EQ(prompt.shown.back().kind, Kind::Question);
}

TEST_F(ManualPatchTest, SeveralPatchFilesOfAFolderAllBelongToItsEntry) {
    prompt.files.push_back(PatchFolder("multi", {"p_q_1_2_.patch", "notes.txt", "p_q_1_3_b.patch"}));
    std::filesystem::create_directories(dir / "multi/folder.patch");
    prompt.answers.push_back(true);
    const std::optional<ManualPatchChain> chain = Choose("1");
    ASSERT_TRUE(chain);
    const ManualPatchEntry& entry = chain->entries[0];
    ASSERT_EQ(entry.patchFiles.Size(), 2u);
    EXPECT_EQ(Text(entry.patchFiles[0]), dir / "multi/p_q_1_2_.patch");
    EXPECT_EQ(Text(entry.patchFiles[1]), dir / "multi/p_q_1_3_b.patch");
    // The versions come from the last name in order.
    EXPECT_EQ(Text(entry.version), "3");
}

TEST_F(ManualPatchTest, AnApplierThatHangsCrashesOrCannotRunIsUnusable) {
    const struct {
        const char* name;
        std::string body;
        mode_t mode;
    } cases[] = {
        {"hangs", "exec sleep 30", 0755},
        {"crashes", "kill -SEGV $$", 0755},
        {"not executable", "exit 4", 0644},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string applier = PatchFolder(c.name, {"p_q_1_2_.patch"}, c.body);
        ::chmod(applier.c_str(), c.mode);
        const auto start = std::chrono::steady_clock::now();
        ManualPatch manual(prompt, 300);
        EXPECT_FALSE(manual.QueryApplierVersion(Wide(dir / c.name)));
        EXPECT_FALSE(manual.ScanPatchFolder(Wide(dir / c.name)).usable);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    }
    // Blanks and quotes in the path change nothing: it is one argument; the status is read as Linux gives it.
    PatchFolder("with \"blanks\" and 'quotes'", {"p_q_1_2_.patch"}, "exit 200");
    EXPECT_EQ(ManualPatch(prompt).QueryApplierVersion(Wide(dir / "with \"blanks\" and 'quotes'")), 200);
}

TEST_F(ManualPatchTest, PathsJoinWithOneSlash) {
    const struct {
        const char16_t *folder, *name, *joined;
    } cases[] = {
        {u"/a/b", u"c", u"/a/b/c"},
        {u"/a/b/", u"c", u"/a/b/c"},
        {u"", u"c", u"c"},
        {u"usb:", u"c", u"usb:/c"},
        {u"a\\b", u"c\\d", u"a\\b/c\\d"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ManualPatch::JoinPath(WideString(c.folder), WideString(c.name)).Std(), std::u16string(c.joined));
    }
    EXPECT_EQ(Text(ManualPatch::GetApplierName()), "VaraRurezod.exe");
    EXPECT_EQ(Text(ManualPatch::GetCaption()), "Бренник Онлайн");
    EXPECT_EQ(NextFolderMask(WideString(u"a*"), WideString(u"[b"), WideString(u"1?")).Std(),
              std::u16string(u"a\\*_\\[b_1\\?_*_.patch"));
}

}  // namespace
