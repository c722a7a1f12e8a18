// The progressive edition, as a player meets it: the page's text tables switch the
// edition on (loose copies under bin/Resources, which the launcher prefers to its
// archive's entries) and name a server list; the game hub (the fake hub, where the
// launcher starts its hub) downloads the game. The road fetches the server list; the
// page links to the hub and shows its download; "Check files" looks only at the files
// the game needs while the hub is at work and leaves the hub alone, and checks every
// file once the hub has it all, the hub letting go of them meanwhile; the repair after
// it cleans the hub's caches, and the hub's download resumes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "e2e/SampleInstallRoad.h"
#include "shell/LauncherOnDisplay.h"
#include "support/FileBytes.h"
#include "support/HubLinkFixtures.h"
#include "support/RequiredEnvironment.h"

namespace fs = std::filesystem;

namespace {

constexpr int kHubMs = 60000;
const char kServerList[] = "<servers><server name=\"Brennic\" address=\"127.0.0.1:7000\"/></servers>\n";

class ProgressiveRoad : public SampleInstallRoad {
protected:
    // The notes are no part of the minimal set: the hub brings them.
    std::vector<std::string> VersionFileOptions() const override { return {"--flag", "bin/README=1"}; }

    void SetUp() override {
        SampleInstallRoad::SetUp();
        if (!problem.empty()) return;
        const std::string installed = Snapshot("1.0.0");
        WriteWholeFile(work / "site/srvlist.xml", kServerList);
        for (const char* locale : {"ru", "en"}) {
            const std::string table = std::string("LauncherLocale") + locale + "/texts.js";
            WriteWholeFile(tree / ("bin/Resources/" + table),
                           ReadWholeFile(LAUNCHER_SOURCE_DIR "/Client/resources/" + table) + "Texts.define(\"" +
                               locale + "\", { \"option.progressive\": \"true\", \"option.srvlist\": \"" +
                               server->BaseUrl() + "srvlist.xml\" });\n");
        }
        // The hub, at its socket in the launcher's runtime folder (the session's): the base
        // pack there, the world coming at 6 MB/s for about ten seconds.
        WriteWholeFile(tree / "hub.packs",
                       "build 1.0.0 1001\npack Data/Base.pak 1000000 1000000\npack Data/World.pak 60000000\n"
                       "rate 6000000\n");
        WriteHubScript(tree / "bin/VantryLight/VantryHub.exe", tree / "hub.starts",
                       {"--socket", session / "VantryV4", "--script", tree / "hub.packs", "--log", tree / "hub.log",
                        "--idle-exit", "60000"});
        // What the hub keeps of the game, which a repair after the whole check makes it renew.
        WriteWholeFile(tree / "data/Packs/main.xml", "<packs/>\n");
        WriteWholeFile(tree / "bin/VantryLight/VantryHub.ini", "[hub]\n");
        if (!Publish({"--current", "1.0.0", "--tree", "1.0.0=" + installed})) {
            problem = "the update publisher failed";
            return;
        }
        StartTheLauncher();
    }

    std::string HubLog() const { return ReadAll(tree / "hub.log"); }
    std::string Diagnosis() { return "hub:\n" + HubLog() + SampleInstallRoad::Diagnosis(); }

    // Waits until the hub's pack list has reached the page: its panel shows how much is there.
    bool WaitForHubProgress(const std::string& key, int boundMs) {
        return WaitForTextKey("hubState", key, boundMs) &&
               driver.WaitUntil("/^[1-9][0-9]*%$/.test(document.querySelector('#hub .percent').textContent)", boundMs);
    }
};

TEST_F(ProgressiveRoad, ChecksBesideTheHubThenWholeAndTheHubResumesAfterTheRepair) {
    if (!problem.empty()) SKIP_UNLESS_REQUIRED(problem);
    const std::string log = tree / "Personal/Logs/Launcher.log";

    // The road fetches the server list that the table names, told before it asks.
    ASSERT_TRUE(WaitForText(log, "page event Patching.OnResponse", kPageMs)) << Diagnosis();
    const std::string start = Log();
    const std::size_t serverList = start.find("page command 11\n");
    ASSERT_NE(serverList, std::string::npos) << start;
    EXPECT_LT(serverList, start.find("page command 30\n")) << start;
    const std::vector<std::string> asked = server->RequestedTargets();
    EXPECT_NE(std::find(asked.begin(), asked.end(), "/srvlist.xml"), asked.end());
    EXPECT_EQ(ReadAll(tree / "Personal/srvlist.xml"), kServerList);

    // The page links to the hub, which lists its packs and downloads.
    ASSERT_TRUE(WaitForText(log, "page command 77", kStepMs)) << Diagnosis();
    ASSERT_TRUE(WaitUntil([&] { return HubLog().find("GetPackInfosIn") != std::string::npos; }, kStepMs))
        << Diagnosis();
    ASSERT_TRUE(WaitForHubProgress("hub.downloading", kStepMs)) << Diagnosis();
    Photograph("progressive-downloading");

    // While the hub is at work, the check looks at what the game needs only: the notes,
    // which the hub brings, may be anything; the hub is not disturbed.
    const std::string notes = ReadAll(tree / "bin/README");
    std::ofstream(tree / "bin/README", std::ios::app) << "damaged";
    ASSERT_TRUE(driver.Click("fullCheckRun")) << Diagnosis();
    ASSERT_TRUE(WaitForText(log, "page command 502", kStepMs)) << Diagnosis();
    ASSERT_TRUE(WaitForTextKey("fullCheckResult", "fullcheck.valid.minimum")) << Diagnosis();
    EXPECT_EQ(Log().find("page command 501"), std::string::npos);
    Photograph("progressive-minimum-check");
    // Over, and the next game step links again.
    ASSERT_TRUE(WaitForText(log, "page command 77", kStepMs, 2)) << Diagnosis();
    EXPECT_EQ(HubLog().find("terminated"), std::string::npos) << HubLog();

    // The hub has it all: every file is checked, and the hub is told to let go of them.
    ASSERT_TRUE(WaitForTextKey("hubState", "hub.finished", kHubMs)) << Diagnosis();
    ASSERT_TRUE(driver.Click("fullCheckRun")) << Diagnosis();
    ASSERT_TRUE(WaitForText(log, "page command 501", kStepMs)) << Diagnosis();
    ASSERT_TRUE(WaitUntil([&] { return HubLog().find("terminated") != std::string::npos; }, kStepMs))
        << Diagnosis();
    ASSERT_TRUE(WaitForTextKey("fullCheckResult", "fullcheck.damaged")) << Diagnosis();
    EXPECT_NE(driver.Text("damagedFiles").find("README"), std::string::npos) << driver.Text("damagedFiles");
    EXPECT_TRUE(WaitForTextKey("hubState", "hub.checking")) << Diagnosis();
    Photograph("progressive-full-check");

    // The repair puts the notes back and cleans the hub's caches.
    ASSERT_TRUE(driver.WaitForShown("repairRun", kStepMs)) << Diagnosis();
    ASSERT_TRUE(driver.Click("repairRun")) << Diagnosis();
    ASSERT_TRUE(WaitForText(log, "page event Repair.OnSuccess", kHubMs)) << Diagnosis();
    EXPECT_EQ(ReadAll(tree / "bin/README"), notes);
    EXPECT_FALSE(fs::exists(tree / "data/Packs/main.xml"));
    EXPECT_FALSE(fs::exists(tree / "bin/VantryLight/VantryHub.ini"));

    // The hub's download resumes: a new game step links, the launcher starts the hub
    // again, and it reports to the page.
    ASSERT_TRUE(WaitForText(log, "page command 77", kStepMs, 3)) << Diagnosis();
    ASSERT_TRUE(WaitUntil([&] { return ReadLines(tree / "hub.starts").size() == 2; }, kStepMs)) << Diagnosis();
    ASSERT_TRUE(WaitUntil(
        [&] {
            const std::string hub = HubLog();
            const std::size_t ended = hub.find("terminated");
            return ended != std::string::npos && hub.find("GetPackInfosIn", ended) != std::string::npos;
        },
        kStepMs))
        << Diagnosis();
    ASSERT_TRUE(WaitForHubProgress("hub.downloading", kStepMs)) << Diagnosis();
    Photograph("progressive-resumed");
    EXPECT_EQ(Log().find("script error"), std::string::npos) << Log();
    ExitTheLauncher();
}

}  // namespace
