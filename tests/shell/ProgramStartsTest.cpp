#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "CapturingSink.h"
#include "base/runtime/StrUtil.h"
#include "shell/LauncherApp.h"
#include "shell/ProgramStarts.h"
#include "shell/resources/MessageSink.h"
#include "support/ArgvRecord.h"
#include "support/FileBytes.h"
#include "support/GameTree.h"
#include "support/ScopedTempFolder.h"

namespace {

using Args = std::vector<std::string>;

void InstallRecorder(const std::string& path) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::filesystem::copy_file(ARGV_RECORDER_PATH, path);
}

TEST(BuildApplierStart, KeepsTheFollowUpAndTheKeyAsArgumentsOfTheirOwn) {
    EXPECT_FALSE(BuildApplierStart(WideString(), WideString(u"key")));
    auto plain = BuildApplierStart(WideString(u"../Patches/patching.cmd"), WideString());
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->program, "./VaraRurezod.exe");
    EXPECT_EQ(plain->argv, (Args{"./VaraRurezod.exe", "../Patches/patching.cmd"}));
    auto keyed = BuildApplierStart(WideString(u"../My Patches/patching.cmd"), WideString(u"k -x \"y\""));
    EXPECT_EQ(keyed->argv, (Args{"./VaraRurezod.exe", "../My Patches/patching.cmd", "-authkey", "k -x \"y\""}));
}

TEST(BuildRestartStart, RestartsInPlaceOrTheGamesLauncherWithDashSwitches) {
    RefPtr<AppParams> params(new AppParams);
    params->cmdPath = WideString(u"/games/Game");
    params->uac = true;
    // The launcher download's folder, as mkdtemp names it, with the launcher's torrent.
    ScopedTempFolder temp;
    const std::string download = temp / "LAUabc123";
    WriteWholeFile(download + "/Launcher.torrent", "d4:infoe");
    auto other = BuildRestartStart(*params, download + "/Upd/Launcher.exe", false, WideString());
    ASSERT_TRUE(other);
    EXPECT_EQ(other->argv, (Args{"/games/Game/bin/Launcher.exe", "-droptemp", download, "-UAC"}));
    EXPECT_EQ(other->workingDir, "/games/Game/bin");
    // Run from anywhere but a launcher download, no folder is named for deletion: not
    // the folder around it, and not a folder that merely holds a launcher torrent.
    WriteWholeFile(temp / "Launcher.torrent", "d4:infoe");
    for (const std::string& own : {temp / "Upd/Launcher.exe", temp / "Launcher.exe", temp / "Upd/bin/Launcher.exe"}) {
        auto plain = BuildRestartStart(*params, own, false, WideString());
        ASSERT_TRUE(plain);
        EXPECT_EQ(plain->argv, (Args{"/games/Game/bin/Launcher.exe", "-UAC"})) << own;
    }

    params->uac = false;
    auto inPlace = BuildRestartStart(*params, "/games/Game/bin/Launcher.exe", true, WideString(u"abc"));
    EXPECT_EQ(inPlace->argv, (Args{"/games/Game/bin/Launcher.exe", "-authkey", "abc"}));
    EXPECT_EQ(inPlace->workingDir, "/games/Game/bin");
    EXPECT_FALSE(BuildRestartStart(*params, "", true, WideString()));
}

TEST(ProgramStarts, TheApplierAndARestartedLauncherStartWithTheirArgvAndFolder) {
    GameTree tree;
    InstallRecorder(tree / "bin/VaraRurezod.exe");
    InstallRecorder(tree / "Game/bin/Launcher.exe");
    ASSERT_EQ(chdir((tree / "bin").c_str()), 0);

    setenv("ARGV_RECORDER_OUT", (tree / "applier.rec").c_str(), 1);
    AuthKey() = WideString(u"the key");
    HeadlessStartupSteps steps;
    SystemProcessQuery processes;
    LauncherApp app(steps, processes);
    app.RunVaraRurezod(WideString(u"../Patches/patching.cmd"));
    ArgvRecord record;
    ASSERT_TRUE(WaitForArgvRecord(tree / "applier.rec", 10000, record));
    EXPECT_EQ(record.workingDir, std::filesystem::canonical(tree / "bin").string());
    EXPECT_EQ(record.argv, (Args{"./VaraRurezod.exe", "../Patches/patching.cmd", "-authkey", "the key"}));

    setenv("ARGV_RECORDER_OUT", (tree / "restart.rec").c_str(), 1);
    RefPtr<AppParams> params(new AppParams);
    params->cmdPath = StrUtil::ToWide(String((tree / "Game").c_str()));
    WriteWholeFile(tree / "LAUupd001/Launcher.torrent", "d4:infoe");
    EXPECT_TRUE(StartDetached(BuildRestartStart(*params, tree / "LAUupd001/bin/Launcher.exe", false, AuthKey())));
    ASSERT_TRUE(WaitForArgvRecord(tree / "restart.rec", 10000, record));
    EXPECT_EQ(record.workingDir, std::filesystem::canonical(tree / "Game/bin").string());
    EXPECT_EQ(record.argv, (Args{tree / "Game/bin/Launcher.exe", "-droptemp", tree / "LAUupd001", "-authkey", "the key"}));
    unsetenv("ARGV_RECORDER_OUT");
}

TEST(RelaunchElevated, WithoutADisplayItSaysAdministratorRightsAreNeeded) {
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    EXPECT_FALSE(BuildElevatedStart("/g/bin/Launcher.exe", true));
    CapturingSink sink;
    SetMessageSink(&sink);
    HeadlessStartupSteps steps;
    SystemProcessQuery processes;
    EXPECT_FALSE(LauncherApp(steps, processes).RelaunchElevated(false));
    SetMessageSink(nullptr);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].first, "Launcher.exe");
    EXPECT_EQ(sink.shown[0].second, "This application requires administrator privileges");
}

TEST(BuildElevatedStart, UsesPkexecWhenInstalledAndADisplayExists) {
    ScopedTempFolder temp;
    InstallRecorder(temp / "pkexec");
    setenv("PATH", temp.Path().c_str(), 1);
    // Without env the elevated launcher would start in root's home, without a display.
    EXPECT_FALSE(BuildElevatedStart("/g/bin/Launcher.exe", true));
    InstallRecorder(temp / "env");
    setenv("DISPLAY", ":99", 1);
    setenv("XAUTHORITY", "/home/p/.Xauthority", 1);
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("XDG_RUNTIME_DIR");
    auto request = BuildElevatedStart("/g/bin/Launcher.exe", true);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->argv, (Args{temp / "pkexec", temp / "env", "--chdir=/g/bin", "DISPLAY=:99",
                                   "XAUTHORITY=/home/p/.Xauthority", "/g/bin/Launcher.exe", "-UAC", "-rip"}));
}

}  // namespace
