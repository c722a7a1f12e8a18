#include <gtest/gtest.h>

#include <filesystem>

#include "base/runtime/StrUtil.h"
#include "shell/DemoMarker.h"
#include "support/GameTree.h"
#include "support/LinkBait.h"

namespace {

TEST(DemoDownloadFolderName, AcceptsOnlyOnePlainName) {
    struct Case {
        std::string contents;
        std::u16string name;
    };
    const Case cases[] = {
        {"Full_1", u"Full_1"},
        {std::string("Full\0junk", 9), u"Full"},
        {"Полная", u"Полная"},
        {std::string(300, 'a'), std::u16string(260, u'a')},
        {"", u""},
        {std::string("\0x", 2), u""},
        {".", u""},
        {"..", u""},
        {"/", u""},
        {"/etc", u""},
        {"../Game", u""},
        {"a/b", u""},
        {"a\\b", u""},
        {"a\nb", u""},
        {"bad\xff", u""},
    };
    for (const Case& c : cases) EXPECT_EQ(DemoDownloadFolderName(c.contents).View(), c.name) << c.contents;
}

struct DemoTree {
    GameTree tree;
    RefPtr<AppParams> params{new AppParams};

    explicit DemoTree(const std::string& marker) {
        std::filesystem::create_directories(tree / "Patches/Full_1");
        WriteWholeFile(tree / "Patches/Full_1/file", "x");
        WriteWholeFile(tree / "Patches/keep", "x");
        WriteWholeFile(tree / "Profiles/game.version", "x");
        WriteWholeFile(tree / "bin/demo.old", marker);
        params->demoState = 3;
        params->demoPath = StrUtil::ToWide(String((tree / "bin/demo.old").c_str()));
        params->patchesDir = StrUtil::ToWide(String((tree / "Patches/").c_str()));
    }
};

TEST(FinalizeDemoMarker, RemovesTheNamedDownloadAndMarksTheDemoAgain) {
    DemoTree demo("Full_1");
    FinalizeDemoMarker(*demo.params);
    EXPECT_FALSE(std::filesystem::exists(demo.tree / "Patches/Full_1"));
    EXPECT_TRUE(std::filesystem::exists(demo.tree / "Patches/keep"));
    EXPECT_FALSE(std::filesystem::exists(demo.tree / "bin/demo.old"));
    EXPECT_TRUE(std::filesystem::is_regular_file(demo.tree / "bin/demo.bin"));
    EXPECT_EQ(std::filesystem::file_size(demo.tree / "bin/demo.bin"), 0u);
}

TEST(FinalizeDemoMarker, TheFullVersionsDownloadGoesWhateverTheTorrentWasNamed) {
    DemoTree demo("Brennic-Full-1.0.2");
    std::filesystem::create_directories(demo.tree / "Patches/Full/Brennic/data");
    WriteWholeFile(demo.tree / "Patches/Full/Brennic/data/big.pak", "part");
    FinalizeDemoMarker(*demo.params);
    EXPECT_FALSE(std::filesystem::exists(demo.tree / "Patches/Full"));
    EXPECT_TRUE(std::filesystem::exists(demo.tree / "Patches/Full_1/file"));
    EXPECT_TRUE(std::filesystem::is_regular_file(demo.tree / "bin/demo.bin"));
}

TEST(FinalizeDemoMarker, AMarkerNamingNothingSafeRemovesNothing) {
    for (const char* marker : {"", "..", "../Profiles", "/", "Missing"}) {
        DemoTree demo(marker);
        FinalizeDemoMarker(*demo.params);
        EXPECT_TRUE(std::filesystem::exists(demo.tree / "Patches/Full_1/file")) << marker;
        EXPECT_TRUE(std::filesystem::exists(demo.tree / "Profiles/game.version")) << marker;
        EXPECT_FALSE(std::filesystem::exists(demo.tree / "bin/demo.old")) << marker;
        EXPECT_TRUE(std::filesystem::is_regular_file(demo.tree / "bin/demo.bin")) << marker;
    }
}

// The folders and the new marker are in the player's tree: a link there is deleted or
// replaced as a name of its own, never followed.
TEST(FinalizeDemoMarker, LinksInTheTreeAreNotFollowed) {
    DemoTree demo("Full_1");
    const LinkBait marker(demo.tree / "outside/etc/passwd", demo.tree / "bin/demo.bin");
    std::filesystem::create_directories(demo.tree / "outside/kept");
    WriteWholeFile(demo.tree / "outside/kept/canary", "alive");
    std::filesystem::create_symlink(demo.tree / "outside/kept", demo.tree / "Patches/Full_1/linked");
    std::filesystem::create_directories(demo.tree / "Patches/Full");
    std::filesystem::create_symlink(demo.tree / "outside/kept", demo.tree / "Patches/Full/linked");
    FinalizeDemoMarker(*demo.params);
    EXPECT_TRUE(marker.Untouched());
    EXPECT_TRUE(marker.ReplacedByAFile());
    EXPECT_EQ(std::filesystem::file_size(demo.tree / "bin/demo.bin"), 0u);
    EXPECT_EQ(ReadWholeFile(demo.tree / "outside/kept/canary"), "alive");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(demo.tree / "Patches/Full_1")));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(demo.tree / "Patches/Full")));
}

}  // namespace
