// The real launcher on a private Xvfb with a damaged game tree: the player checks the
// files, the page offers the repair, and the repair's request reaches the update server
// (none answers in the launcher's own network, which the page then says). Screenshots
// under the build folder.
#include <gtest/gtest.h>

#include <string>

#include "shell/LauncherOnDisplay.h"
#include "support/FileBytes.h"
#include "support/PrivateXvfb.h"
#include "support/RequiredEnvironment.h"
#include "support/versions/SignedVersions.h"

namespace {

// The page's buttons (see launcher.css): "Check files", the first tool, and "Repair" in
// the repair panel below the check's two damaged files, which the activity column
// scrolls into view at its foot.
constexpr int kCheckX = 644;
constexpr int kCheckY = 167;
constexpr int kRepairX = 90;
constexpr int kRepairY = 435;

void InstallDamagedGame(const GameTree& tree) {
    VersionWriter::Model model;
    model.version = "1.0.0";
    model.folders.push_back({"/data/", {}});
    for (const char* name : {"a.pak", "b.pak", "c.pak"}) model.folders[0].files.push_back(ListedFile(name, name));
    WriteWholeFile(tree / "Profiles/game.version", SignedVersionFile(model));
    WriteWholeFile(tree / "data/a.pak", "a.pak");
    WriteWholeFile(tree / "data/b.pak", "changed");
    // No update server in the launcher's network.
    WriteNoUpdateServerConfig(tree);
}

}  // namespace

TEST(RepairWindow, TheFullCheckOffersTheRepairAndItsRequestGoesToTheServer) {
    if (!BuiltInKeyIsSample()) SKIP_UNLESS_REQUIRED("the launcher was built with another version key");
    PrivateXvfb xvfb;
    if (!xvfb.Start()) SKIP_UNLESS_REQUIRED("no Xvfb");
    GameTree tree;
    Display* display = XOpenDisplay(xvfb.Display().c_str());
    if (!display) SKIP_UNLESS_REQUIRED("cannot open " + xvfb.Display());
    InstallDamagedGame(tree);
    ProcessHandle launcher = StartLauncher(tree, xvfb.Display());
    ASSERT_TRUE(launcher.IsValid());
    const std::string log = tree / "Personal/Logs/Launcher.log";

    int x = 0, y = 0;
    ASSERT_TRUE(WaitForLauncherPage(display, tree, x, y));
    // The update road of the start-up has answered before the player clicks.
    EXPECT_TRUE(WaitForText(log, "page event Patching.OnServerError", 10000)) << ReadAll(log);
    Click(display, x + kCheckX, y + kCheckY);
    EXPECT_TRUE(WaitForText(log, "page event FullCheck.OnComplete", 10000)) << ReadAll(log);
    EXPECT_TRUE(SaveScreenshot(display, "repair-window-offered.png"));
    Click(display, x + kRepairX, y + kRepairY);
    EXPECT_TRUE(WaitForText(log, "page event Repair.OnServerError", 10000)) << ReadAll(log);
    EXPECT_TRUE(SaveScreenshot(display, "repair-window-noserver.png"));

    launcher.Kill();
    launcher.WaitForExit(5000);
    XCloseDisplay(display);
    const std::string traffic = ReadAll(log);
    for (const char* line : {"page command 50", "page command 60", "page event Repair.OnRequest"})
        EXPECT_NE(traffic.find(line), std::string::npos) << line << "\n" << traffic;
    EXPECT_EQ(traffic.find("script error"), std::string::npos) << traffic;
}
