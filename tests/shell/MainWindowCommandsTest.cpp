// The main window's own commands and its activation event, in the real Launcher.exe on
// a private Xvfb, driven through its real page (the page driver preloaded into the
// program): the window tells the page when it gains and loses the keyboard and when it
// is minimised or shown again; the page's minimise button (2001) asks the window
// manager to iconify it, and a second start brings it back; Escape in this borderless
// window closes what the page has open and sends no cancel to the page; the page's
// restart in place (1004) ends this launcher and the one it starts shows the page
// again. The display has no window manager: the test plays its part and unmaps the
// window it is asked to iconify.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <signal.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "shell/LauncherOnDisplay.h"
#include "support/PageDriver.h"
#include "support/PrivateXvfb.h"
#include "support/ProcessScan.h"
#include "support/RequiredEnvironment.h"

namespace {

constexpr int kPageMs = 30000;
constexpr int kStepMs = 15000;
constexpr int kWindowHeight = 589;

// The page's record of "OnWindowActiveStateChanged": its two flags run together ("10":
// active, not minimised), oldest first.
constexpr char kRecordActivity[] =
    "window.activity = [];"
    "App.module('App', { OnWindowActiveStateChanged: function (active, minimised) {"
    "    window.activity.push(active + minimised); } });"
    "true";

std::string Last(const std::string& what) { return "window.activity.length > 0 && " + what; }

// Waits for the client message that asks the window manager to iconify the window.
bool WaitForIconifyRequest(Display* display, Window window, int boundMs) {
    const Atom changeState = XInternAtom(display, "WM_CHANGE_STATE", False);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
    while (std::chrono::steady_clock::now() < deadline) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == ClientMessage && event.xclient.message_type == changeState &&
                event.xclient.window == window && event.xclient.data.l[0] == IconicState)
                return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

}  // namespace

TEST(MainWindowCommands, ActivationMinimiseAndRestartInPlaceThroughThePage) {
    PrivateXvfb xvfb;
    if (!xvfb.Start()) SKIP_UNLESS_REQUIRED("no Xvfb");
    Display* display = XOpenDisplay(xvfb.Display().c_str());
    if (!display) SKIP_UNLESS_REQUIRED("cannot open " + xvfb.Display());
    GameTree tree;
    ASSERT_TRUE(WriteNoUpdateServerConfig(tree));
    const std::vector<std::string> driverEnvironment =
        PageDriver::LauncherEnvironment(PAGE_DRIVER_AGENT_PATH, tree / "driver.sock");
    ProcessHandle launcher = StartLauncher(tree, xvfb.Display(), {}, "", driverEnvironment);
    ASSERT_TRUE(launcher.IsValid());
    PageDriver driver(tree / "driver.sock");
    const std::string log = tree / "Personal/Logs/Launcher.log";
    auto diagnosis = [&] { return driver.error() + "\n" + ReadAll(log) + ReadAll(tree / "stderr").substr(0, 4000); };

    ASSERT_TRUE(WaitForText(log, "page event Launcher.OnFrameLoad", kPageMs)) << diagnosis();
    ASSERT_TRUE(driver.WaitForShown("minimise", kStepMs)) << diagnosis();
    int x = 0, y = 0;
    Window window = 0;
    ASSERT_TRUE(FindWindowOfWidth(display, kLauncherWindowWidth, x, y, kWindowHeight, &window));
    std::string value;
    ASSERT_TRUE(driver.Eval(kRecordActivity, value)) << diagnosis();

    // The keyboard comes to the window and goes again: the page dims its title strip
    // while the window is not active.
    XSetInputFocus(display, window, RevertToPointerRoot, CurrentTime);
    XFlush(display);
    EXPECT_TRUE(driver.WaitUntil(Last("window.activity[window.activity.length - 1] === '10' && "
                                      "!document.body.classList.contains('inactive')"),
                                 kStepMs))
        << diagnosis();
    XTestFakeMotionEvent(display, -1, x + kLauncherWindowWidth + 100, y + kWindowHeight + 100, CurrentTime);
    XSetInputFocus(display, DefaultRootWindow(display), RevertToNone, CurrentTime);
    XFlush(display);
    EXPECT_TRUE(driver.WaitUntil(Last("window.activity[window.activity.length - 1] === '00' && "
                                      "document.body.classList.contains('inactive')"),
                                 kStepMs))
        << diagnosis();

    // Escape with the preferences open closes them; the window has no frame, so the
    // page hears no cancel.
    XSetInputFocus(display, window, RevertToPointerRoot, CurrentTime);
    XFlush(display);
    ASSERT_TRUE(driver.Click("prefsOpen")) << diagnosis();
    EXPECT_TRUE(driver.WaitForShown("prefsPanel", kStepMs)) << diagnosis();
    PressChord(display, {"Escape"});
    EXPECT_TRUE(driver.WaitUntil("document.getElementById('prefsPanel').hidden", kStepMs)) << diagnosis();

    // The page's minimise button asks the window manager to iconify the window; the
    // test, in its place, unmaps it, and the page hears that the window is minimised.
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    // The selection must reach the server before the click: a request the launcher sends
    // first would go unseen.
    XSync(display, False);
    ASSERT_TRUE(driver.Click("minimise")) << diagnosis();
    ASSERT_TRUE(WaitForIconifyRequest(display, window, kStepMs)) << diagnosis();
    XUnmapWindow(display, window);
    XFlush(display);
    EXPECT_TRUE(driver.WaitUntil(Last("window.activity[window.activity.length - 1].charAt(1) === '1'"), kStepMs))
        << diagnosis();

    // A second start raises it: shown again, and the page hears that it is no longer
    // minimised. The second launcher hands over and ends.
    ProcessHandle second = StartLauncherAt(tree, tree / "bin/Launcher.exe", xvfb.Display(), {}, "", driverEnvironment);
    ASSERT_TRUE(second.IsValid());
    EXPECT_EQ(WaitForLauncherExit(second, kStepMs), 0) << diagnosis();
    EXPECT_TRUE(driver.WaitUntil(Last("window.activity[window.activity.length - 1].charAt(1) === '0'"), kStepMs))
        << diagnosis();
    EXPECT_TRUE(WaitForWindowOfWidth(display, kLauncherWindowWidth, kWindowHeight, x, y, kStepMs));

    // Restart in place: this launcher ends, the one it starts shows the page again (and
    // begins a log of its own).
    const std::string traffic = ReadAll(log);
    for (const char* line : {"page command 2001", "page event OnWindowActiveStateChanged"})
        EXPECT_NE(traffic.find(line), std::string::npos) << line << "\n" << traffic;
    EXPECT_EQ(traffic.find("page event App.OnCancel"), std::string::npos) << traffic;
    EXPECT_EQ(traffic.find("script error"), std::string::npos) << traffic;
    const pid_t first = launcher.Pid();
    // On the page's next turn: the launcher ends before it could answer the script.
    ASSERT_TRUE(driver.Eval("setTimeout(function () { App.send(1004); }, 0); true", value)) << diagnosis();
    EXPECT_EQ(WaitForLauncherExit(launcher, kStepMs), 0) << diagnosis();
    EXPECT_TRUE(driver.WaitForShown("minimise", kPageMs)) << diagnosis();
    EXPECT_TRUE(WaitForText(log, "page event Launcher.OnFrameLoad", kStepMs)) << diagnosis();
    const std::vector<pid_t> running = ProcessesOf(tree / "bin/Launcher.exe");
    ASSERT_EQ(running.size(), 1u) << diagnosis();
    EXPECT_NE(running[0], first);
    SaveScreenshot(display, "main-window-restarted.png");
    for (pid_t pid : running) ::kill(pid, SIGKILL);
    XCloseDisplay(display);
}
