// The download panel of the real page in the real WebKitGTK, on a private Xvfb: the
// update server's answer starts the download (300), and the download's events, as
// the launcher sends them, move the panel through its states. The bar's colour is
// checked in each state, and a screenshot of each is saved under the build folder.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <glib.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "base/runtime/Timer.h"
#include "platform/glib/GlibTimerHost.h"
#include "shell/LauncherOnDisplay.h"
#include "shell/SourcePage.h"
#include "support/PrivateXvfb.h"
#include "support/RequiredEnvironment.h"

namespace {

// A pixel of the panel's bar near its left end, which the fill covers from 4 percent
// on: the panel follows the update road's panel in the activity column (see
// launcher.css). The bar's colours (see download.css).
constexpr int kBarX = 50;
constexpr int kBarY = 333;
constexpr unsigned kEmptyBar = 0x2B261F;
constexpr unsigned kDownloading = 0xC9B27C;
constexpr unsigned kLost = 0x6B5A3E;
constexpr unsigned kFailed = 0x8C2B22;
constexpr unsigned kDone = 0x7FB069;
constexpr int kPaintMs = 700;

WideStringVector Args(std::initializer_list<const char16_t*> texts) {
    WideStringVector arguments;
    for (const char16_t* text : texts) arguments.PushBack(WideString(text));
    return arguments;
}

// One state of the panel: the events that lead to it, then its bar colour and picture.
struct Step {
    std::vector<std::pair<const char16_t*, WideStringVector>> events;
    unsigned barColour;
    const char* screenshot;
};

struct PanelRun {
    PageDialog* dialog = nullptr;
    Display* display = nullptr;
    std::vector<Step> steps;
    std::size_t next = 0;
    std::vector<unsigned> colours;
};

gboolean TakeAndContinue(gpointer data) {
    PanelRun& run = *static_cast<PanelRun*>(data);
    const Step& shown = run.steps[run.next - 1];
    run.colours.push_back(PixelAt(run.display, kBarX, kBarY));
    SaveScreenPng(run.display, std::string(LAUNCHER_BUILD_DIR "/") + shown.screenshot);
    if (run.next == run.steps.size()) {
        run.dialog->EndDialog(2);
        return G_SOURCE_REMOVE;
    }
    for (const auto& [name, arguments] : run.steps[run.next].events) {
        run.dialog->View().SendEventArgs(WideString(name), arguments);
    }
    ++run.next;
    g_timeout_add(kPaintMs, &TakeAndContinue, &run);
    return G_SOURCE_REMOVE;
}

}  // namespace

TEST(DownloadPanelPage, ThePatchDownloadShowsProgressSizesSpeedsPeersAndEachState) {
    PrivateXvfb xvfb;
    PageEnvironment environment(xvfb.Start() ? xvfb.Display() : "");
    if (!std::getenv("DISPLAY")) SKIP_UNLESS_REQUIRED("no X display and no Xvfb");
    if (!environment.Toolkit()) SKIP_UNLESS_REQUIRED("GTK cannot open the display");
    Display* display = XOpenDisplay(std::getenv("DISPLAY"));
    ASSERT_TRUE(display);
    auto files = std::make_shared<SourceResources>();
    ASSERT_TRUE(environment.Toolkit()->RegisterUriScheme("vfs", files));
    GlibTimerHost timers(&Timer::TimerProc);

    const std::vector<std::pair<const char16_t*, WideStringVector>> peers = {
        {u"Downloader.OnPeersInfo",
         Args({u"127.0.0.2 : 6881", u"2147483648", u"3145728", u"0", u"0", u"[::1] : 6969", u"1048576", u"524288",
               u"65536", u"2048", u"10.0.0.7 : 51413", u"4096", u"0", u"0", u"0"})}};
    PanelRun run;
    run.display = display;
    run.steps = {
        {{{u"Patching.OnDownloadStart", {}}, {u"Downloader.OnConnecting", {}}}, kEmptyBar, "download-connecting.png"},
        // 37 % of 13.5 GiB: the sizes are past 32 bits.
        {{{u"Downloader.OnProgress",
           Args({u"37", u"5368709120", u"14495514624", u"3670016", u"67584", u"123456789012"})},
          peers[0]},
         kDownloading, "download-progress.png"},
        {{{u"Downloader.OnPeersLost", {}},
          {u"Downloader.OnProgress", Args({u"37", u"5368709120", u"14495514624", u"0", u"0", u"123456789012"})},
          {u"Downloader.OnPeersInfo", {}}},
         kLost, "download-peers-lost.png"},
        {{{u"Launcher.OnDiskSpaceError", {}}}, kFailed, "download-disk-space.png"},
        {{{u"Locale.OnLoad", Args({u"en"})},
          {u"Downloader.OnProgress",
           Args({u"100", u"14495514624", u"14495514624", u"1048576", u"0", u"123456789012"})},
          {u"Patching.OnDownloadComplete", {}}},
         kDone, "download-complete-en.png"},
    };
    PageDialog dialog(*environment.Toolkit(), &timers, "vfs://Launcher/res/launcher.htm", "");
    run.dialog = &dialog;
    dialog.onCommand = [&](PageDialog& d, int code, const WideString&) {
        // The road: no unfinished update, the files are writable, the server names two
        // patches, and the page downloads them.
        if (code == 80) d.View().SendEvent(WideString(u"InitialCheck.OnReadyToUpdate"));
        if (code == 45) d.View().SendEvent(WideString(u"CheckAttributes.OnSuccessChecking"));
        if (code == 30) d.View().SendEventArgs(WideString(u"Patching.OnAnswer"), Args({u"false", u"1.0.1", u"1.0.2"}));
        if (code == 300 && run.next == 0) {
            for (const auto& [name, arguments] : run.steps[0].events) d.View().SendEventArgs(WideString(name), arguments);
            run.next = 1;
            g_timeout_add(kPaintMs, &TakeAndContinue, &run);
        }
    };
    EXPECT_EQ(RunBounded(dialog, 30000), 2);
    XCloseDisplay(display);

    std::vector<int> codes;
    for (const auto& [code, argument] : dialog.commands) codes.push_back(code);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), 300), 1);
    ASSERT_EQ(run.colours.size(), run.steps.size());
    for (std::size_t i = 0; i < run.steps.size(); ++i) {
        EXPECT_EQ(run.colours[i], run.steps[i].barColour) << run.steps[i].screenshot << std::hex << " " << run.colours[i];
    }
}
