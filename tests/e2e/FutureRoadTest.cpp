// The next update fetched in advance, as a player meets it: the update server announces
// 1.0.1 beside the current 1.0.0 (a future patch, with the sample applier); the player
// turns "Download future updates in advance" on in the settings and plays, and the
// launcher downloads the patch while the game runs. Once the server has released 1.0.1,
// the next start of the launcher finds the patch in place, offers to install it without
// fetching a byte of it again, and the applier brings the game to 1.0.1.
#include <gtest/gtest.h>

#include <signal.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "e2e/SampleInstallRoad.h"
#include "shell/LauncherOnDisplay.h"
#include "support/ProcessScan.h"
#include "support/RequiredEnvironment.h"
#include "support/RunTool.h"

namespace fs = std::filesystem;

namespace {

constexpr int kDownloadMs = 120000;
const char* const kPatchFolder = "Patch_1.0.0-1.0.1";

void WriteRandomFile(const std::string& path, std::size_t size) {
    fs::create_directories(fs::path(path).parent_path());
    std::mt19937 random(static_cast<unsigned>(size));
    std::string bytes(size, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random());
    std::ofstream(path, std::ios::binary) << bytes;
}

class FutureRoad : public SampleInstallRoad {
protected:
    void SetUp() override {
        SampleInstallRoad::SetUp();
        if (!problem.empty()) return;
        // 1.0.1 changes the notes and brings a pack.
        from = Snapshot("1.0.0");
        to = Snapshot("1.0.1");
        std::ofstream(to + "/bin/README", std::ios::app) << "1.0.1: the next release.\n";
        WriteRandomFile(to + "/data/Packs/Next.pak", 300 * 1024);
        const std::string payload = work / "payload";
        fs::create_directories(payload);
        if (!RunTool({MAKE_SAMPLE_PATCH_PATH, "--from", "1.0.0=" + from, "--to", "1.0.1=" + to, "--out",
                      payload + "/Brennic_patch_1.0.0_1.0.1_.patch", "--exclude", "Personal/Global.cfg"})) {
            problem = "the patch maker failed";
            return;
        }
        // The oldest version the history patches lies below 1.0.0, so that 1.0.0 is
        // patched rather than offered a reinstall.
        if (!Publish({"--current", "1.0.0", "--prepatch", "1.0.1", "--old-version", "0.9.0", "--tree", "1.0.0=" + from,
                      "--tree", "1.0.1=" + to, "--patch", "1.0.0,1.0.1," + payload, "--applier",
                      SAMPLE_APPLIER_PATH})) {
            problem = "the update publisher failed";
            return;
        }
        StartTheLauncher();
    }

    // Sets a field of the settings form by its name.
    bool SetField(const std::string& name, const std::string& value) {
        std::string result;
        return driver.Eval("(function(){var e=document.querySelector('#prefsForm [name=" + name +
                               "]');if(!e)return false;e.value=" + ScriptString(value) + ";return true;})()",
                           result) &&
               result == "true";
    }

    std::string from, to;
};

TEST_F(FutureRoad, FetchesTheAnnouncedUpdateWhileTheGameRunsAndTheNextStartInstallsItWithoutFetchingItAgain) {
    if (!problem.empty()) SKIP_UNLESS_REQUIRED(problem);
    const std::string log = tree / "Personal/Logs/Launcher.log";
    const std::string settings = tree / "Personal/Global.cfg";

    // The game is current; the next version is announced, and the page says how to get
    // it in advance.
    ASSERT_TRUE(WaitForText(log, "page event Patching.OnResponse", kPageMs)) << Diagnosis();
    ASSERT_TRUE(WaitForTextKey("futureState", "future.offered.off")) << Diagnosis();
    EXPECT_TRUE(driver.WaitUntil("document.querySelector('#roadRequest .stepState').getAttribute('data-text') === "
                                 "'road.request.uptodate'",
                                 kStepMs))
        << Diagnosis();
    Photograph("future-offered");

    // The player turns it on, with no limit on the speed while the game runs.
    ASSERT_TRUE(driver.Click("prefsOpen")) << Diagnosis();
    ASSERT_TRUE(driver.WaitUntil("!document.getElementById('prefsApply').disabled", kStepMs)) << Diagnosis();
    ASSERT_TRUE(ClickSelector("#prefsForm [name=isFutureUpdates]")) << Diagnosis();
    ASSERT_TRUE(SetField("downLimitGameActive", "0"));
    ASSERT_TRUE(SetField("downLimitGameRun", "0"));
    ASSERT_TRUE(driver.Click("prefsApply")) << Diagnosis();
    ASSERT_TRUE(WaitForText(settings, "prepatch_download = 1", kStepMs)) << ReadAll(settings);
    ASSERT_TRUE(WaitForTextKey("futureState", "future.offered.on")) << Diagnosis();
    ASSERT_TRUE(driver.Click("prefsClose")) << Diagnosis();

    // Nothing is fetched before the game runs; Play starts it, and the update comes meanwhile.
    EXPECT_EQ(Log().find("page command 31"), std::string::npos) << Log();
    if (driver.IsShown("gamePassword")) EXPECT_TRUE(driver.Fill("gamePassword", "secret")) << Diagnosis();
    ASSERT_TRUE(driver.Click("gamePlay")) << Diagnosis();
    ASSERT_TRUE(WaitForText(log, "page event Game.OnRun", kStepMs)) << Diagnosis();
    ASSERT_TRUE(WaitForText(log, "page event Global.OnFutureUpdateState", kStepMs)) << Diagnosis();
    ASSERT_TRUE(WaitForText(log, "page command 300", kStepMs)) << Diagnosis();
    ASSERT_TRUE(WaitForTextKey("futureState", "future.ready", kDownloadMs)) << Diagnosis();
    EXPECT_TRUE(WaitForTextKey("downloadState", "download.complete.future")) << Diagnosis();
    EXPECT_NE(driver.Text("futureState").find("1.0.1"), std::string::npos) << driver.Text("futureState");
    // An update fetched in advance is not one to install now: the road's panel keeps its own word.
    EXPECT_FALSE(driver.IsShown("patchInstall"));
    EXPECT_TRUE(WaitForTextKey("patchingStatus", "patching.future")) << Diagnosis();
    Photograph("future-ready");

    // The patch lies in the patches folder, whole, and the launcher remembers its version.
    EXPECT_TRUE(WaitForText(settings, "prepatch_ready = \"1.0.1\"", kStepMs)) << ReadAll(settings);
    const std::string site = work / ("site/" + std::string(kPatchFolder));
    for (const auto& entry : fs::recursive_directory_iterator(site)) {
        if (!entry.is_regular_file()) continue;
        const std::string relative = fs::relative(entry.path(), site).generic_string();
        EXPECT_TRUE(ReadAll(tree / ("Patches/" + std::string(kPatchFolder) + "/" + relative)) ==
                    ReadAll(entry.path().string()))
            << relative;
    }
    const std::uint64_t served = PayloadServedUnder(kPatchFolder);
    EXPECT_GT(served, 300u * 1024);

    ExitTheLauncher();
    for (pid_t pid : ProcessesOf(gameName)) kill(pid, SIGTERM);

    // 1.0.1 is released. The next start patches from what is on the disk: the download
    // ends without a byte of the patch served again, and Install brings the game to 1.0.1.
    ASSERT_TRUE(Announce({"--current", "1.0.1", "--old-version", "0.9.0", "--tree", "1.0.0=" + from, "--tree",
                          "1.0.1=" + to}));
    ASSERT_TRUE(StartTheLauncher()) << problem;
    ASSERT_TRUE(driver.WaitForShown("patchInstall", kDownloadMs)) << Diagnosis();
    EXPECT_EQ(PayloadServedUnder(kPatchFolder), served);
    EXPECT_TRUE(WaitForTextKey("downloadState", "download.complete.patch")) << Diagnosis();
    Photograph("future-install-due");
    ASSERT_TRUE(driver.Click("patchInstall")) << Diagnosis();
    ASSERT_TRUE(driver.WaitUntil("document.getElementById('installedVersion').innerText.trim() === '1.0.1'",
                                 kDownloadMs))
        << Diagnosis();
    for (const char* file : {"bin/README", "data/Packs/Next.pak"})
        EXPECT_TRUE(ReadAll(tree / file) == ReadAll(to + "/" + file)) << file;
    EXPECT_EQ(PayloadServedUnder(kPatchFolder), served);
    Photograph("future-installed");
    EXPECT_EQ(Log().find("script error"), std::string::npos) << Log();
    ASSERT_TRUE(driver.Click("exit")) << Diagnosis();
}

}  // namespace
