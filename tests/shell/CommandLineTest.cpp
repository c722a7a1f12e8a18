#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "base/runtime/StrUtil.h"
#include "shell/CommandLineParams.h"
#include "support/GameTree.h"

namespace {

struct ArgvCase {
    std::vector<const char*> args;
    bool uac, rip, update, reinstall, dropTemp;
    const char* cmdPath;
    const char* key;
};

TEST(CommandLineParams, ParsesSwitchesPathsAndKeys) {
    const ArgvCase cases[] = {
        {{"-update", "C:\\Games\\Game"}, false, false, true, false, false, "C:/Games/Game", ""},
        {{"-update", "/home/x/Game"}, false, false, true, false, false, "/home/x/Game", ""},
        {{"/update", "/home/x/Game", "/authkey", "/k"}, false, false, true, false, false, "/home/x/Game", "/k"},
        {{"-droptemp", "/tmp/Upd", "-UAC", "-authkey", "k1"}, true, false, false, false, true, "/tmp/Upd", "k1"},
        {{"-reinstall", "/g", "-rip"}, false, true, false, true, false, "/g", ""},
        {{"/authkey", "abc", "/UAC"}, true, false, false, false, false, "", "abc"},
        {{"word"}, false, false, false, false, false, "", "word"},
        {{"first", "second"}, false, false, false, false, false, "", "second"},
        {{"-A"}, true, false, false, false, false, "", ""},
        {{"-uac"}, false, false, false, false, false, "", ""},
        {{"-Update", "/home/x/Game"}, false, false, false, false, false, "", ""},  // '/' form of an unknown switch
        {{"-Update", "home"}, false, false, false, false, false, "", "home"},
        {{"-update", "-authkey", "word"}, false, false, true, false, false, "", "word"},
        {{"-update", "-r", "/g"}, false, true, true, false, false, "/g", ""},
        {{"-authkey", "A"}, true, false, false, false, false, "", ""},
        {{"-authkey", "A", "later"}, true, false, false, false, false, "", "later"},
        {{"-authkey"}, false, false, false, false, false, "", ""},
        {{""}, true, false, false, false, false, "", ""},
        {{"-"}, true, false, false, false, false, "", ""},
        {{"/"}, true, false, false, false, false, "", ""},
        {{"\"quoted key\""}, false, false, false, false, false, "", "\"quoted key\""},
    };
    GameTree tree;
    for (const ArgvCase& c : cases) {
        std::vector<const char*> argv = {"Launcher.exe"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        RefPtr<AppParams> params(new AppParams);
        CommandLineParams commandLine(*params, tree.LauncherPath());
        commandLine.ParseArguments(static_cast<int>(argv.size()), argv.data());
        const std::string label = c.args.empty() ? "" : c.args[0] + std::string(" ...");
        EXPECT_EQ(params->uac, c.uac) << label;
        EXPECT_EQ(params->rip, c.rip) << label;
        EXPECT_EQ(params->update, c.update) << label;
        EXPECT_EQ(params->reinstall, c.reinstall) << label;
        EXPECT_EQ(params->dropTemp, c.dropTemp) << label;
        EXPECT_EQ(StrUtil::ToNarrow(params->cmdPath).Std(), c.cmdPath) << label;
        EXPECT_EQ(StrUtil::ToNarrow(AuthKey()).Std(), c.key) << label;
    }
}

TEST(CommandLineParams, DecodesInvalidUtf8Leniently) {
    GameTree tree;
    RefPtr<AppParams> params(new AppParams);
    CommandLineParams commandLine(*params, tree.LauncherPath());
    const char* argv[] = {"Launcher.exe", "-authkey", "k\xff"};
    commandLine.ParseArguments(3, argv);
    EXPECT_EQ(AuthKey().View(), u"k\uFFFD");
}

}  // namespace
