// The launcher's own update in the real page and the real WebKitGTK, on a private Xvfb:
// the page asks for the self-update at its start (25), shows files in use and tries
// again when the player asks (a click), restarts into the installed copy once it is
// installed (26), and walks the launcher download through its commands (2701, 2702).
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <glib.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "shell/LauncherOnDisplay.h"
#include "shell/SourcePageOnXvfb.h"

namespace {

constexpr int kPaintMs = 700;
// The "Try again" button below two listed files, from the window's top left corner.
constexpr int kRetryX = 75;
constexpr int kRetryY = 256;

struct PageRun {
    PageDialog* dialog = nullptr;
    Display* display = nullptr;
    int selfUpdates = 0;
    bool clicked = false;
};

gboolean ClickRetry(gpointer data) {
    PageRun& run = *static_cast<PageRun*>(data);
    SaveScreenPng(run.display, LAUNCHER_BUILD_DIR "/launcher-update-locked.png");
    int x = 0, y = 0;
    if (FindLauncherWindow(run.display, x, y)) {
        Click(run.display, x + kRetryX, y + kRetryY);
        run.clicked = true;
    } else {
        run.dialog->EndDialog(3);
    }
    return G_SOURCE_REMOVE;
}

}  // namespace

using LauncherUpdatePage = SourcePageOnXvfb;

TEST_F(LauncherUpdatePage, ShowsLockedFilesRetriesRestartsAndRunsTheDownloadsCommands) {
    PageDialog dialog(Toolkit(), &timers, "vfs://Launcher/res/launcher.htm", "");
    PageRun run{&dialog, display};
    dialog.onCommand = [&](PageDialog& d, int code, const WideString&) {
        auto& view = d.View();
        switch (code) {
        case 10:
            view.SendEventArgs(WideString(u"Locale.OnLoad"), Args({u"en"}));
            break;
        case 25:
            view.SendEvent(WideString(u"LauncherUpdate.OnNeedUpdate"));
            if (++run.selfUpdates == 1) {
                // File names are shown as text: markup in one must stay markup.
                view.SendEventArgs(WideString(u"LauncherUpdate.OnLockedFiles"),
                                   Args({u"/games/Brennic/bin/Launcher.exe", u"/games/Brennic/bin/<b>lib</b>.so"}));
                g_timeout_add(kPaintMs, &ClickRetry, &run);
            } else {
                view.SendEvent(WideString(u"LauncherUpdate.OnUpdated"));
            }
            break;
        case 26:
            // As if the installed copy had not taken over: the download road next.
            view.SendEvent(WideString(u"Patching.OnUpdateLauncher"));
            view.SendEvent(WideString(u"LauncherDownload.OnStartTorrentDownload"));
            view.SendEvent(WideString(u"LauncherDownload.OnFinishTorrentDownload"));
            break;
        case 2701:
            view.SendEvent(WideString(u"LauncherDownload.OnStartFilesDownload"));
            view.SendEventArgs(WideString(u"Downloader.OnProgress"),
                               Args({u"100", u"52428800", u"52428800", u"0", u"0", u"0"}));
            view.SendEvent(WideString(u"LauncherDownload.OnFinishFilesDownload"));
            break;
        case 2702:
            d.EndDialog(2);
            break;
        default:
            break;
        }
    };
    EXPECT_EQ(RunBounded(dialog, 30000), 2);
    EXPECT_TRUE(run.clicked);

    // Each command of the road once, in its order, the retry's 25 among them.
    std::vector<std::pair<int, std::u16string>> road;
    for (const auto& command : dialog.commands)
        if (command.first == 25 || command.first == 26 || (command.first >= 2700 && command.first <= 2702)) road.push_back(command);
    const std::vector<std::pair<int, std::u16string>> expected = {
        {25, u""}, {25, u""}, {26, u""}, {2701, u""}, {2702, u"1"}};
    EXPECT_EQ(road, expected);
}
