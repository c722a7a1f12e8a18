// The applier program as the launcher starts it: from the bin folder of a game tree,
// with the plan's path and the key, and the launcher to start again once it is done (the
// argv recorder stands in for it).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "GameTreeScan.h"
#include "PatchApplier.h"
#include "PatchMaker.h"
#include "platform/process/ProcessSpawn.h"
#include "support/ArgvRecord.h"
#include "support/TempDir.h"
#include "support/versions/SignedVersions.h"

namespace fs = std::filesystem;

namespace {

class ApplierProgramTest : public testing::Test {
protected:
    void SetUp() override {
        // Two versions of a small game: a changed program and a new pack.
        dir_.WriteFile("trees/1.0.0/bin/ZIrira.exe", "game 1");
        dir_.WriteFile("trees/1.0.1/bin/ZIrira.exe", "game 2");
        dir_.WriteFile("trees/1.0.1/data/Packs/New.pak", std::string(5000, 'n'));
        for (const char* version : {"1.0.0", "1.0.1"}) {
            VersionWriter::Model model;
            model.version = version;
            ASSERT_TRUE(VersionWriter::ScanTree(dir_ / ("trees/" + std::string(version)), {}, model));
            dir_.WriteFile("versions/" + std::string(version) + "/game.version", SignedVersionFile(model));
        }
        dir_.WriteFile("game/bin/ZIrira.exe", "game 1");
        dir_.WriteFile("game/Profiles/game.version", dir_.ReadFile("versions/1.0.0/game.version"));
        dir_.WriteFile("game/Personal/Logs/.keep", "");
        fs::copy_file(SAMPLE_APPLIER_PATH, dir_ / "game/bin/VaraRurezod.exe");
        fs::copy_file(ARGV_RECORDER_PATH, dir_ / "game/bin/Launcher.exe");

        SamplePatch::MakeRequest request;
        request.fromTree = dir_ / "trees/1.0.0";
        request.toTree = dir_ / "trees/1.0.1";
        request.fromVersion = "1.0.0";
        request.toVersion = "1.0.1";
        std::string error;
        ASSERT_TRUE(SamplePatch::MakePatch(request, dir_ / "game/Patches/Patch_1.0.0-1.0.1/a_b_1.0.0_1.0.1_.patch", error))
            << error;
        fs::copy_file(dir_ / "versions/1.0.1/game.version", dir_ / "game/Patches/Patch_1.0.0-1.0.1/game.version");
    }

    // Runs the applier as the launcher does; its exit code.
    int RunApplier(const std::string& plan) {
        SpawnRequest request;
        request.program = "./VaraRurezod.exe";
        request.argv = {request.program, plan, "-authkey", "KEY 1"};
        request.workingDir = dir_ / "game/bin";
        request.environment = std::vector<std::string>{"ARGV_RECORDER_OUT=" + (dir_ / "launcher.record")};
        ProcessHandle applier = SpawnChild(request);
        int code = -1;
        EXPECT_EQ(applier.WaitForExit(60000, &code), WaitResult::Exited);
        return code;
    }

    void ExpectLauncherStartedAgain() {
        ArgvRecord record;
        ASSERT_TRUE(WaitForArgvRecord(dir_ / "launcher.record", 10000, record));
        EXPECT_EQ(fs::canonical(record.workingDir), fs::canonical(dir_ / "game/bin"));
        ASSERT_EQ(record.argv.size(), 3u);
        EXPECT_EQ(fs::path(record.argv[0]).filename(), "Launcher.exe");
        EXPECT_EQ(record.argv[1], "-authkey");
        EXPECT_EQ(record.argv[2], "KEY 1");
    }

    TempDir dir_;
};

class ApplierPlanForms : public ApplierProgramTest, public testing::WithParamInterface<std::string> {};

// The launcher writes the XML form; the text form is the older hand-over. Both name the
// files relative to the bin folder the applier is started in.
TEST_P(ApplierPlanForms, AppliesThePlanAndStartsTheLauncherAgain) {
    const std::string patch = "../Patches/Patch_1.0.0-1.0.1/a_b_1.0.0_1.0.1_.patch";
    const std::string version = "../Patches/Patch_1.0.0-1.0.1/game.version";
    const std::string plan =
        GetParam() == "xml"
            ? "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<Base>\r\n\t<format>multi</format>\r\n\t<patches>\r\n"
              "\t\t<Item>\r\n\t\t\t<version>1.0.1</version>\r\n\t\t\t<gameVersionFile>" + version +
                  "</gameVersionFile>\r\n\t\t\t<patchFile>" + patch + "</patchFile>\r\n\t\t</Item>\r\n\t</patches>\r\n</Base>\r\n"
            : "  \"" + patch + "\" \"" + version + "\"\r\n";
    dir_.WriteFile("game/Patches/patching.cmd", plan);
    EXPECT_EQ(RunApplier("../Patches/patching.cmd"), 0);
    EXPECT_EQ(SampleApplier::InstalledVersion(dir_ / "game/"), "1.0.1");
    EXPECT_EQ(dir_.ReadFile("game/bin/ZIrira.exe"), "game 2");
    EXPECT_EQ(dir_.FileSize("game/data/Packs/New.pak"), 5000);
    EXPECT_FALSE(dir_.Exists("game/Patches/patching.cmd"));
    ExpectLauncherStartedAgain();
    EXPECT_NE(dir_.ReadFile("game/Personal/Logs/VaraRurezod.log").find("1.0.1"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(BothForms, ApplierPlanForms, testing::Values("xml", "text"));

TEST_F(ApplierProgramTest, PlanThatCannotBeAppliedStillBringsThePlayerBack) {
    dir_.WriteFile("game/Patches/patching.cmd", "  \"../Patches/missing.patch\" \"../Patches/Patch_1.0.0-1.0.1/game.version\"");
    EXPECT_EQ(RunApplier("../Patches/patching.cmd"), 1);
    EXPECT_EQ(SampleApplier::InstalledVersion(dir_ / "game/"), "1.0.0");
    EXPECT_EQ(dir_.ReadFile("game/bin/ZIrira.exe"), "game 1");
    ExpectLauncherStartedAgain();
}

TEST_F(ApplierProgramTest, AnswersTheVersionQueryByItsExitCode) {
    SpawnRequest request;
    request.program = dir_ / "game/bin/VaraRurezod.exe";
    request.argv = {request.program, "-version"};
    ProcessHandle applier = SpawnChild(request);
    int code = -1;
    ASSERT_EQ(applier.WaitForExit(30000, &code), WaitResult::Exited);
    EXPECT_EQ(code, 1);
}

}  // namespace
