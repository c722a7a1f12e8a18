// The start-up checks in their order, against a fake machine: a network file system,
// unwritable folders (with and without the elevated relaunch), '#' in the folder, an
// old web engine, the firewall step's place; and the stale patch plan on a real disk.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "CapturingSink.h"
#include "StartupFakes.h"
#include "shell/EnvironmentChecks.h"
#include "shell/LauncherApp.h"
#include "support/GameTree.h"

namespace {

const std::string kNeedsAdministrator = "This application requires administrator privileges";

class EnvironmentChecksTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(chdir((tree / "bin").c_str()), 0);
        SetMessageSink(&sink);
        params = new AppParams;
        params->binDir = WideString(u"./");
        params->gameRoot = WideString(u"../");
        params->patchesDir = WideString(u"../Patches/");
        params->firewallRule.exePath = StrUtil::ToWide(String((tree / "bin/Launcher.exe").c_str()));
    }
    void TearDown() override { SetMessageSink(nullptr); }

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& [caption, text] : sink.shown) texts.push_back(text);
        return texts;
    }

    GameTree tree;
    CapturingSink sink;
    FakeEnvironment environment;
    ScriptedSteps steps;
    FixedProcesses processes;
    LauncherApp app{steps, processes, environment};
    RefPtr<AppParams> params;
};

TEST_F(EnvironmentChecksTest, AUsableInstallationPassesWithOrWithoutAFirewall) {
    EXPECT_TRUE(app.CheckEnvironment(*params));
    EXPECT_EQ(environment.firewallsCreated, 1);
    RefPtr<FakeFirewall> off(new FakeFirewall);
    off->enabled = false;
    environment.firewall = off;
    EXPECT_TRUE(app.CheckEnvironment(*params));
    EXPECT_EQ(off->queries, 0);  // a firewall that filters nothing is not asked
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(EnvironmentChecksTest, ANetworkFileSystemIsRefusedBeforeAnythingElse) {
    environment.mounts += "40 22 0:50 / " + std::filesystem::canonical(tree.Root()).string() + " rw - nfs4 nas:/g rw\n";
    environment.unwritable = {"./"};
    EXPECT_FALSE(app.CheckEnvironment(*params));
    EXPECT_EQ(Texts(), std::vector<std::string>{"Приложение не может быть запущено с сетевого диска"});
    EXPECT_EQ(environment.firewallsCreated, 0);
}

TEST_F(EnvironmentChecksTest, IsLocalFolderFollowsLinksToTheMountThatHoldsTheFile) {
    const std::string table = "22 1 8:1 / / rw - ext4 /dev/sda1 rw\n40 22 0:50 / " +
                              std::filesystem::canonical(tree / "bin").string() + " rw - fuse.sshfs host:/g rw\n";
    std::filesystem::create_symlink(tree / "bin", tree / "link");
    EXPECT_FALSE(IsLocalFolder(StrUtil::ToWide(String((tree / "link/Launcher.exe").c_str())), table));
    EXPECT_TRUE(IsLocalFolder(StrUtil::ToWide(String((tree / "Profiles/x").c_str())), table));
    EXPECT_TRUE(IsLocalFolder(WideString(u"/not/in/any/mount"), "garbage\n"));
    for (const char* type : {"nfs", "cifs", "smb3", "9p", "fuse.sshfs", "fuse.glusterfs", "ceph"})
        EXPECT_TRUE(IsNetworkFileSystem(type)) << type;
    for (const char* type : {"ext4", "btrfs", "tmpfs", "overlay", "fuse", "fuseblk", "fuse.portal", "nfsd"})
        EXPECT_FALSE(IsNetworkFileSystem(type)) << type;
}

TEST_F(EnvironmentChecksTest, AnUnwritableFolderRelaunchesElevatedOnceThenSaysSo) {
    RelaunchRecorder relaunch;
    environment.unwritable = {"../"};
    params->rip = true;
    EXPECT_FALSE(app.CheckEnvironment(*params));
    EXPECT_EQ(relaunch.Arguments(), (std::vector<std::string>{"-UAC", "-rip"}));
    EXPECT_TRUE(sink.shown.empty());

    relaunch.Expect("elevated");
    params->uac = true;
    EXPECT_FALSE(app.CheckEnvironment(*params));
    EXPECT_EQ(Texts(), std::vector<std::string>{kNeedsAdministrator});
    EXPECT_FALSE(relaunch.Started());
    EXPECT_EQ(environment.firewallsCreated, 0);
}

TEST_F(EnvironmentChecksTest, AHashInTheFolderIsRefused) {
    std::filesystem::create_directories(tree / "Games #2/bin");
    ASSERT_EQ(chdir((tree / "Games #2/bin").c_str()), 0);
    EXPECT_FALSE(app.PathHasNoHash());
    EXPECT_FALSE(app.CheckEnvironment(*params));
    EXPECT_EQ(Texts(), std::vector<std::string>{"Рабочий путь содержит недопустимый символ '#'"});
}

TEST_F(EnvironmentChecksTest, AnOldWebEngineIsReportedAndTheFirewallStillAsked) {
    struct Case {
        WebKitVersionNumber version;
        bool enough;
    } cases[] = {{{2, 38}, false}, {{2, 39}, false}, {{2, 40}, true}, {{2, 44}, true}, {{3, 0}, true}, {{1, 99}, false}};
    for (const Case& c : cases)
        EXPECT_EQ(IsBrowserRecentEnough(c.version), c.enough) << c.version.major << "." << c.version.minor;

    RefPtr<FakeFirewall> firewall(new FakeFirewall);
    firewall->authorized = true;
    environment.firewall = firewall;
    environment.browser = {2, 36};
    EXPECT_FALSE(app.CheckEnvironment(*params));
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_NE(sink.shown[0].second.find("WebKitGTK"), std::string::npos);
    EXPECT_NE(sink.shown[0].second.find("2.40"), std::string::npos);
    EXPECT_EQ(firewall->queries, 1);
}

TEST_F(EnvironmentChecksTest, TheSystemProbeCreatesAndRemovesItsProbeFile) {
    SystemEnvironmentProbe probe;
    EXPECT_TRUE(probe.CanCreateFileIn(tree / "Profiles"));
    EXPECT_TRUE(std::filesystem::is_empty(tree / "Profiles"));
    EXPECT_FALSE(probe.CanCreateFileIn(tree / "missing"));
    EXPECT_EQ(probe.IsAdministrator(), geteuid() == 0);
}

TEST_F(EnvironmentChecksTest, AStalePatchPlanIsRemovedUnlessItCannotBe) {
    const std::string plan = tree / "Patches/patching.cmd";
    EXPECT_TRUE(app.RemoveStalePatchScript(*params));  // no plan, not even a Patches folder

    ASSERT_TRUE(WriteWholeFile(plan, "<plan/>"));
    EXPECT_TRUE(app.RemoveStalePatchScript(*params));
    EXPECT_FALSE(std::filesystem::exists(plan));

    // A link is removed itself, whether or not it leads anywhere.
    std::filesystem::create_symlink(tree / "nowhere", plan);
    EXPECT_TRUE(app.RemoveStalePatchScript(*params));
    EXPECT_FALSE(std::filesystem::is_symlink(plan));
    EXPECT_TRUE(sink.shown.empty());

    // A folder in the plan's place cannot be unlinked, not even by root.
    ASSERT_TRUE(WriteWholeFile(plan + "/inside", "x"));
    EXPECT_FALSE(app.RemoveStalePatchScript(*params));
    EXPECT_EQ(Texts(), std::vector<std::string>{
                           "Файл ../Patches/patching.cmd заблокирован. Удалите его вручную и возобновите процесс."});
    EXPECT_TRUE(std::filesystem::exists(plan + "/inside"));
}

}  // namespace
