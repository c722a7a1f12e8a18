#pragma once
// The real Launcher.exe on a copy of the sample installation, on a private Xvfb and in a
// network of the test's own (only loopback) with an update server of the test's own: a
// loopback server over a folder that the publishing tool writes, which is also the
// torrents' web seed. The test drives the launcher through its real page as a player
// does (the page driver preloaded into the program) and photographs each state under
// the build folder as e2e-*.png. The launcher's session (its XDG folders, its stderr,
// the driver's socket) lies outside the game folder, which a reinstall empties.
//
//   class MyRoad : public SampleInstallRoad {};
//   TEST_F(MyRoad, ...) {
//       if (!problem.empty()) SKIP_UNLESS_REQUIRED(problem);
//       ASSERT_TRUE(Publish({"--current", "1.0.0", "--tree", "1.0.0=" + Snapshot("1.0.0")}));
//       ASSERT_TRUE(StartTheLauncher());
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/process/ProcessHandle.h"
#include "support/GameTree.h"
#include "support/LoopbackHttpServer.h"
#include "support/PageDriver.h"
#include "support/PrivateXvfb.h"
#include "support/TempDir.h"

// Generous bounds: a road must also pass on a loaded machine and under ASan.
constexpr int kPageMs = 30000;
constexpr int kStepMs = 20000;

class SampleInstallRoad : public ::testing::Test {
protected:
    // The display, the network and the installed game at version 1.0.0 with its signed
    // version file; problem says why when something is missing.
    void SetUp() override;
    void TearDown() override;

    // Extra arguments of the version writer for the installed game (flags of its files).
    virtual std::vector<std::string> VersionFileOptions() const { return {}; }
    // A signed version file of the tree at root, the player's files left out; SetUp
    // writes the installed game's, a test that changes the game writes it again.
    bool WriteVersionFile(const std::string& root, const std::string& out, const std::string& version);

    // A copy of the installed game as it stands, as the game tree of that version for
    // the publishing tool and the patch maker: trees/VERSION of the test's folder.
    std::string Snapshot(const std::string& version);
    // Writes the update server's folder with the publishing tool (its options after
    // --out; the player's settings, the launcher's files of launcherTree and the web
    // seed are added); false when it fails.
    bool Publish(const std::vector<std::string>& options);
    // The same into another folder, and only its current-version document over the
    // server's: the server announces something else, everything it serves stays.
    bool Announce(const std::vector<std::string>& options);
    // Starts the installation's launcher with the page driver and these extra "NAME=value"
    // entries in its environment; false when it did not start.
    bool StartTheLauncher(const std::vector<std::string>& extraEnvironment = {});
    // Ends the launcher through the window's exit button and waits for it.
    void ExitTheLauncher();

    std::string LogPath() const { return tree / "Personal/Logs/Launcher.log"; }
    std::string Log() const;
    std::string Diagnosis();
    // A picture of the page as it stands now, as e2e-NAME.png in the build folder.
    void Photograph(const std::string& state);
    // Clicks the first element that the CSS selector finds (for links without an id).
    bool ClickSelector(const std::string& selector);
    // Waits until the element's data-text names the text key.
    bool WaitForTextKey(const std::string& id, const std::string& key, int boundMs = kStepMs);
    // The file bytes the update server served under the folder (its web-seed payload).
    std::uint64_t PayloadServedUnder(const std::string& folder) const;

    PrivateXvfb xvfb;
    Display* display = nullptr;
    GameTree session;
    GameTree tree;
    TempDir work;
    // The launcher's own files as Launcher.torrent holds them, its program on top.
    std::string launcherTree = work / "launcher-tree";
    std::unique_ptr<LoopbackHttpServer> server;
    PageDriver driver{session / "driver.sock"};
    ProcessHandle launcher;
    std::string gameName;
    std::string problem;
};
