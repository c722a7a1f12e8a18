// Checking the files on disk against version objects loaded from files the tool wrote.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "VersionFixtures.h"
#include "engine/gamedata/CRCChecker4.h"
#include "engine/gamedata/CRCChecker5.h"
#include "engine/gamedata/GameVersion.h"
#include "support/TempDir.h"

namespace {

// A game tree, its version file written by the tool, then damaged on disk.
class DamagedTree {
public:
    DamagedTree(int format, int flags) {
        tree_.WriteFile("bin/good.dll", PatternBytes(1000, 1));
        tree_.WriteFile("bin/size.dll", PatternBytes(1000, 2));
        tree_.WriteFile("bin/hash.dll", PatternBytes(1000, 3));
        tree_.WriteFile("bin/missing.dll", PatternBytes(10, 4));
        tree_.WriteFile("bin/s8000.pak", PatternBytes(0x8000, 5));
        tree_.WriteFile("bin/s8001.pak", PatternBytes(0x8001, 6));
        tree_.WriteFile("data/large.pak", PatternBytes(1 << 20, 7));
        tree_.WriteFile("data/empty.bin", "");
        tree_.WriteFile("Profiles/placeholder", "");
        ok_ = RunVersionWriter({"--root", tree_.Path(), "--out", tree_ / "Profiles/game.version", "--format",
                                std::to_string(format), "--flags", std::to_string(flags), "--exclude",
                                "Profiles/placeholder"});
        tree_.WriteFile("bin/size.dll", PatternBytes(1001, 2));
        ChangeByte("bin/hash.dll", 500);
        std::filesystem::remove(tree_ / "bin/missing.dll");
        ChangeByte("bin/s8000.pak", 0x4000);
        ChangeByte("bin/s8001.pak", 0x4000);  // the one byte the quick digest leaves out
        ChangeByte("data/large.pak", 1 << 19);
        version_ = LoadVersion(format, tree_.Path());
    }

    bool Ok() const { return ok_ && version_; }
    const TempDir& Tree() const { return tree_; }
    Game::IGameVersion& Version() const { return *version_; }

    // Every content's code under the checker, by relative path.
    std::map<std::string, int> Codes(Game::ICRCChecker& checker) const {
        std::map<std::string, int> codes;
        for (const RefPtr<Game::GameFolder>& folder : version_->GetFolders()) {
            for (const RefPtr<Game::GameFolder::Content>& content : folder->contents) {
                const String folderPath = String(tree_.Path().c_str()) + folder->name;
                codes[(folder->name + content->name).Std()] = checker.Check(folderPath, content.Get());
            }
        }
        return codes;
    }

private:
    void ChangeByte(const std::string& name, std::size_t at) {
        std::string bytes = tree_.ReadFile(name);
        bytes[at] = static_cast<char>(bytes[at] ^ 0x01);
        tree_.WriteFile(name, bytes);
    }

    TempDir tree_;
    bool ok_ = false;
    RefPtr<Game::IGameVersion> version_;
};

RefPtr<Game::ICRCChecker> CheckerFor(int format, std::uint32_t bufferSize = 4096) {
    if (format == 4) return RefPtr<Game::ICRCChecker>(new Game::CRCChecker4(bufferSize));
    return RefPtr<Game::ICRCChecker>(new Game::CRCChecker5(bufferSize));
}

}  // namespace

TEST(FileCheck, CodesOfEveryKindOfDamage) {
    using Codes = std::map<std::string, int>;
    struct Case {
        int format;
        int flags;
        Codes expected;
    } cases[] = {
        // Size only: content changes pass.
        {4, 2, {{"/bin/good.dll", 0}, {"/bin/size.dll", 4}, {"/bin/hash.dll", 0}, {"/bin/missing.dll", 3},
                {"/bin/s8000.pak", 0}, {"/bin/s8001.pak", 0}, {"/data/large.pak", 0}, {"/data/empty.bin", 0}}},
        {4, 3, {{"/bin/good.dll", 0}, {"/bin/size.dll", 4}, {"/bin/hash.dll", 5}, {"/bin/missing.dll", 3},
                {"/bin/s8000.pak", 5}, {"/bin/s8001.pak", 5}, {"/data/large.pak", 5}, {"/data/empty.bin", 0}}},
        // Size and quick digest: small files are digested whole, larger ones head and tail only.
        {5, 2, {{"/bin/good.dll", 0}, {"/bin/size.dll", 4}, {"/bin/hash.dll", 4}, {"/bin/missing.dll", 3},
                {"/bin/s8000.pak", 4}, {"/bin/s8001.pak", 0}, {"/data/large.pak", 0}, {"/data/empty.bin", 0}}},
        {5, 3, {{"/bin/good.dll", 0}, {"/bin/size.dll", 4}, {"/bin/hash.dll", 4}, {"/bin/missing.dll", 3},
                {"/bin/s8000.pak", 4}, {"/bin/s8001.pak", 5}, {"/data/large.pak", 5}, {"/data/empty.bin", 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "format " << c.format << " flags " << c.flags);
        DamagedTree tree(c.format, c.flags);
        ASSERT_TRUE(tree.Ok());
        for (std::uint32_t bufferSize : {1u, 4096u, Game::kCheckerBufferSize}) {
            RefPtr<Game::ICRCChecker> checker = CheckerFor(c.format, bufferSize);
            EXPECT_EQ(tree.Codes(*checker), c.expected) << "buffer " << bufferSize;
        }
    }
}

TEST(FileCheck, CheckerRefusesTheOtherGenerationsContent) {
    DamagedTree tree4(4, 3), tree5(5, 3);
    ASSERT_TRUE(tree4.Ok() && tree5.Ok());
    const String root(tree4.Tree().Path().c_str());
    EXPECT_EQ(CheckerFor(5)->Check(root + "/bin/", tree4.Version().GetFolders()[0]->contents[0].Get()), 5);
    EXPECT_EQ(CheckerFor(4)->Check(root + "/bin/", tree5.Version().GetFolders()[0]->contents[0].Get()), 5);
}

TEST(FileCheck, VersionCheckStopsAtTheFirstFailure) {
    for (int format : {4, 5}) {
        SCOPED_TRACE(format);
        DamagedTree tree(format, 2);
        ASSERT_TRUE(tree.Ok());
        String path("untouched");
        // Files are in name order: good.dll passes, hash.dll differs only for "ver5".
        const int code = tree.Version().Check(path, false);
        const std::string failed = format == 4 ? "bin/missing.dll" : "bin/hash.dll";
        EXPECT_EQ(code, format == 4 ? 3 : 4);
        EXPECT_EQ(path.Std(), tree.Tree() / ("/" + failed));

        std::filesystem::remove_all(tree.Tree() / "bin");
        EXPECT_EQ(tree.Version().Check(path, false), 2);
        EXPECT_EQ(path.Std(), "/bin/");
    }
}

TEST(FileCheck, OnlyFlaggedSkipsContentsOutsideTheMinimalSetInVer5Only) {
    for (int format : {4, 5}) {
        SCOPED_TRACE(format);
        TempDir tree;
        tree.WriteFile("bin/minimal.dll", "m");
        tree.WriteFile("bin/other.dll", "o");
        ASSERT_TRUE(RunVersionWriter({"--root", tree.Path(), "--out", tree / "Profiles/game.version", "--format",
                                      std::to_string(format), "--flags", "1", "--flag", "bin/minimal.dll=3"}));
        std::filesystem::remove(tree / "bin/other.dll");
        RefPtr<Game::IGameVersion> version = LoadVersion(format, tree.Path());
        ASSERT_TRUE(version);
        String path;
        EXPECT_EQ(version->Check(path, true), format == 4 ? 3 : 0);
        EXPECT_EQ(version->Check(path, false), 3);
    }
}

TEST(FileCheck, VersionWithoutFoldersChecksClean) {
    RefPtr<Game::IGameVersion> version = ParseVersion(5, VersionWriter::Compose({"1", {}}, 5, 9, SamplePrivateKey()));
    ASSERT_TRUE(version);
    String path("kept");
    EXPECT_EQ(version->Check(path, false), 0);
    EXPECT_EQ(path.Std(), "kept");
}

TEST(FileCheck, SpecialFilesAndLetterCaseAndBackslashes) {
    TempDir tree;
    const std::string payload = "payload";
    VersionWriter::Model model;
    model.version = "1";
    VersionWriter::FileEntry entry;
    VersionWriter::FillHashes(payload, entry);
    model.folders.push_back({"\\Bin\\", {}});
    for (const char* name : {"fifo", "folder", "Mixed.DLL", "link", "loop"}) {
        entry.name = name;
        model.folders[0].files.push_back(entry);
    }
    ASSERT_TRUE(RunProgram({"mkdir", "-p", tree / "bin/folder"}));
    ASSERT_EQ(mkfifo((tree / "bin/fifo").c_str(), 0600), 0);
    tree.WriteFile("bin/mixed.dll", payload);
    ASSERT_EQ(symlink("mixed.dll", (tree / "bin/link").c_str()), 0);
    ASSERT_EQ(symlink("loop", (tree / "bin/loop").c_str()), 0);
    for (int format : {4, 5}) {
        SCOPED_TRACE(format);
        RefPtr<Game::IGameVersion> version =
            ParseVersion(format, VersionWriter::Compose(model, format, 9, SamplePrivateKey()), tree.Path());
        ASSERT_TRUE(version);
        std::map<std::string, int> codes;
        RefPtr<Game::ICRCChecker> checker = CheckerFor(format);
        const Game::GameFolder& folder = *version->GetFolders()[0];
        for (const auto& content : folder.contents) {
            codes[content->name.Std()] = checker->Check(String(tree.Path().c_str()) + folder.name, content.Get());
        }
        const std::map<std::string, int> expected {{"fifo", 3}, {"folder", 3}, {"Mixed.DLL", 0}, {"link", 0}, {"loop", 3}};
        EXPECT_EQ(codes, expected);
    }
}
