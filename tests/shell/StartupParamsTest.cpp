#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>

#include "base/runtime/StrUtil.h"
#include "shell/CommandLineParams.h"
#include "shell/LauncherConfig.h"
#include "support/GameTree.h"

namespace {

std::string Narrow(const WideString& text) { return StrUtil::ToNarrow(text).Std(); }

RefPtr<AppParams> ParamsFor(const GameTree& tree) {
    RefPtr<AppParams> params(new AppParams);
    CommandLineParams commandLine(*params, tree.LauncherPath());
    EXPECT_TRUE(commandLine.InOwnFolder());
    return params;
}

TEST(CommandLineParams, SetsDefaultPathsAndCreatesThePatchesFolder) {
    GameTree tree;
    RefPtr<AppParams> params = ParamsFor(tree);
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::canonical(tree / "bin"));
    EXPECT_EQ(Narrow(params->binDir), "./");
    EXPECT_EQ(Narrow(params->gameRoot), "../");
    EXPECT_EQ(Narrow(params->patchesDir), "../Patches/");
    EXPECT_EQ(Narrow(params->versionFile), "Profiles/game.version");
    EXPECT_EQ(Narrow(params->globalCfgPath), "../Personal/Global.cfg");
    EXPECT_EQ(Narrow(params->launcherCfgPath), "../Profiles/Launcher.cfg");
    EXPECT_EQ(Narrow(params->firewallRule.exePath), tree.LauncherPath());
    EXPECT_EQ(Narrow(params->firewallRule.name), "Brennic Launcher");
    EXPECT_TRUE(std::filesystem::is_directory(tree / "Patches"));
    // Without Launcher.cfg: the string table's host, port 8080, base path "/", type 2, 30 s.
    EXPECT_STREQ(params->server.host.CStr(), "update.brennic-online.example");
    EXPECT_EQ(params->server.port, 8080);
    EXPECT_STREQ(params->server.basePath.CStr(), "/");
    EXPECT_EQ(params->server.hostType, 2);
    EXPECT_EQ(params->server.timeoutMs, 30000);
}

TEST(CommandLineParams, FindsTheDemoState) {
    struct Case {
        bool bin, old;
        int state;
        const char* path;
    };
    const Case cases[] = {
        {false, false, 0, "../bin/demo.old"},
        {true, false, 1, "../bin/demo.bin"},
        {false, true, 2, "../bin/demo.old"},
        {true, true, 1, "../bin/demo.bin"},
    };
    for (const Case& c : cases) {
        GameTree tree;
        if (c.bin) WriteWholeFile(tree / "bin/demo.bin", "");
        if (c.old) WriteWholeFile(tree / "bin/demo.old", "");
        RefPtr<AppParams> params = ParamsFor(tree);
        EXPECT_EQ(params->demoState, c.state);
        EXPECT_EQ(Narrow(params->demoPath), c.path);
    }
    GameTree folderMarker;  // a folder of the marker's name is no marker
    std::filesystem::create_directories(folderMarker / "bin/demo.bin");
    EXPECT_EQ(ParamsFor(folderMarker)->demoState, 0);
}

TEST(CommandLineParams, ReadsTheServerFromLauncherCfgAndClampsItsNumbers) {
    struct Case {
        const char* line;
        int port, timeout, type;
    };
    // Each file sets the same three keys, so no value is left over from the file before.
    const Case cases[] = {
        {"hostPort = 9000\nhostTimeout = 1500.9\nhostType = \"patch\"", 9000, 1500, 1},
        {"hostPort = 70000\nhostTimeout = 1e30\nhostType = \"Patch\"", 65535, 3600000, 2},
        {"hostPort = -1\nhostTimeout = -5\nhostType = \"http\"", 1, 1000, 2},
        {"hostPort = 0\nhostTimeout = 20\nhostType = patch", 1, 1000, 2},
    };
    for (const Case& c : cases) {
        GameTree tree;
        WriteWholeFile(tree / "Profiles/Launcher.cfg", std::string("hostIP = \"127.0.0.1\"\nhostPath = \"/p/\"\n") + c.line);
        RefPtr<AppParams> params = ParamsFor(tree);
        EXPECT_STREQ(params->server.host.CStr(), "127.0.0.1") << c.line;
        EXPECT_STREQ(params->server.basePath.CStr(), "/p/") << c.line;
        EXPECT_EQ(params->server.port, c.port) << c.line;
        EXPECT_EQ(params->server.timeoutMs, c.timeout) << c.line;
        EXPECT_EQ(params->server.hostType, c.type) << c.line;
    }
}

TEST(MakeServerAddress, ClampsValuesNoConversionCanHold) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(MakeServerAddress("h", "/", nan, nan, "patch").timeoutMs, 30000);
    EXPECT_EQ(MakeServerAddress("h", "/", nan, nan, "patch").port, 8080);
    EXPECT_EQ(MakeServerAddress("h", "/", inf, inf, "patch").port, 65535);
    EXPECT_EQ(MakeServerAddress("h", "/", -inf, -inf, "patch").timeoutMs, 1000);
}

TEST(AppParams, LoadsAndSavesTheLoginWithoutLineBreaks) {
    GameTree tree;
    WriteWholeFile(tree / "Personal/Global.cfg", "launcherLogin = \"player\"\n");
    RefPtr<AppParams> params = ParamsFor(tree);
    EXPECT_EQ(params->login.View(), u"player");

    params->login = WideString(u"evil\r\nlocalization = \"x\"\0z");
    params->login.Append(u'\0');
    params->login.Append(u"tail");
    ASSERT_TRUE(params->SaveLogin());
    std::string saved;
    ASSERT_TRUE(ReadWholeFile(tree / "Personal/Global.cfg", saved));
    EXPECT_NE(saved.find("launcherLogin = \"evillocalization = \"x\"tail\""), std::string::npos) << saved;
    EXPECT_EQ(saved.find("\nlocalization"), std::string::npos) << saved;
}

}  // namespace
