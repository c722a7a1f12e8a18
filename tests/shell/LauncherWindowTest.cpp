// The real Launcher.exe on a private Xvfb display, in a temporary game tree: its page
// comes from the archive inside the program through vfs:, answers the start
// handshake, reports its frame to the root state and shows the root state's answer;
// a click on the page's full-check button checks the tree against its version file
// and lists the damaged files; a click on the exit button then ends the program with
// 0. A screenshot of the screen is saved under the build folder. Skipped when no
// display can be had.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/process/ProcessHandle.h"
#include "platform/process/ProcessSpawn.h"
#include "support/GameTree.h"
#include "support/PrivateXvfb.h"
#include "support/RequiredEnvironment.h"
#include "support/ViewableWindow.h"
#include "support/versions/SignedVersions.h"

namespace {

constexpr int kWindowWidth = 748;
// The exit button's centre in the page (see launcher.css: the buttons at x 692).
constexpr int kExitX = 735;
constexpr int kExitY = 12;
// The full-check button, near the top left of the content (see launcher.css).
constexpr int kFullCheckX = 60;
constexpr int kFullCheckY = 58;

std::string ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// Polls the launcher's page log until it holds line, for at most boundMs.
bool WaitForLogLine(const std::string& path, const std::string& line, int boundMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (ReadAll(path).find(line) != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return ReadAll(path).find(line) != std::string::npos;
}

// The top-level window of the page's width, with its place on the screen.
bool FindLauncherWindow(Display* display, int& x, int& y) { return FindViewableWindow(display, kWindowWidth, x, y); }

bool SaveScreenPng(Display* display, const std::string& path) {
    const int width = DisplayWidth(display, DefaultScreen(display));
    const int height = DisplayHeight(display, DefaultScreen(display));
    XImage* image = XGetImage(display, DefaultRootWindow(display), 0, 0, width, height, AllPlanes, ZPixmap);
    if (!image) return false;
    GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, width, height);
    guchar* pixels = gdk_pixbuf_get_pixels(pixbuf);
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            const unsigned long pixel = XGetPixel(image, column, row);
            guchar* out = pixels + row * stride + column * 3;
            out[0] = static_cast<guchar>((pixel & image->red_mask) >> 16);
            out[1] = static_cast<guchar>((pixel & image->green_mask) >> 8);
            out[2] = static_cast<guchar>(pixel & image->blue_mask);
        }
    }
    XDestroyImage(image);
    const gboolean saved = gdk_pixbuf_save(pixbuf, path.c_str(), "png", nullptr, nullptr);
    g_object_unref(pixbuf);
    return saved;
}

// A signed version file for the tree: the launcher's configuration as it is, and two
// files that are not there. False when the program checks against another key than
// the sample key the tests sign with.
bool WriteVersionFile(const GameTree& tree) {
    if (!BuiltInKeyIsSample()) return false;
    std::string config;
    VersionWriter::ReadFile(tree / "Profiles/Launcher.cfg", config);
    VersionWriter::Model model;
    model.version = "5.2.17";
    model.folders.push_back({"/Profiles/", {ListedFile("Launcher.cfg", config)}});
    model.folders.push_back({"/data/", {ListedFile("textures.pak", std::string(4096, 't')), ListedFile("world.map", "map")}});
    return VersionWriter::WriteFile(tree / "Profiles/game.version", SignedVersionFile(model));
}

void Click(Display* display, int x, int y) {
    XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XFlush(display);
}

}  // namespace

TEST(LauncherWindow, ShowsItsPageTalksToTheRootStateAndClosesWithItsExitButton) {
    PrivateXvfb xvfb;
    if (!xvfb.Start()) SKIP_UNLESS_REQUIRED("no Xvfb");
    GameTree tree;
    setenv("DISPLAY", xvfb.Display().c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    setenv("XDG_RUNTIME_DIR", tree.Root().c_str(), 1);
    for (const char* variable : {"XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"})
        setenv(variable, (tree / "xdg").c_str(), 1);
    setenv("MESA_SHADER_CACHE_DISABLE", "true", 1);
    // The web process's sandbox cannot start as root.
    if (geteuid() == 0) setenv("WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS", "1", 1);
    Display* display = XOpenDisplay(xvfb.Display().c_str());
    if (!display) SKIP_UNLESS_REQUIRED("cannot open " + xvfb.Display());

    std::filesystem::create_directories(tree / "bin");
    std::filesystem::copy_file(LAUNCHER_EXE_PATH, tree / "bin/Launcher.exe");
    std::ofstream(tree / "Profiles/Launcher.cfg") << "hostIP = \"127.0.0.1\"\nhostPort = 9\n";
    const bool checkable = WriteVersionFile(tree);
    // Under LeakSanitizer the program's own leaks count; GTK's and WebKit's process-long
    // caches do not.
    std::ofstream(tree / "lsan.supp") << "leak:libgtk-3\nleak:libgdk-3\nleak:libwebkit2gtk\nleak:libjavascriptcoregtk\n"
                                         "leak:libglib-2.0\nleak:libgobject-2.0\nleak:libfontconfig\nleak:libEGL\n"
                                         "leak:libGLX\nleak:libgio-2.0\nleak:libdbus-1\nleak:libpango\nleak:libcairo\n";
    setenv("LSAN_OPTIONS", ("suppressions=" + (tree / "lsan.supp")).c_str(), 1);
    const std::string err = tree / "stderr";
    const int saved = dup(2);
    const int errFd = open(err.c_str(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0600);
    dup2(errFd, 2);
    const pid_t pid = SpawnProcess({tree / "bin/Launcher.exe", {tree / "bin/Launcher.exe"}, tree / "bin"});
    dup2(saved, 2);
    close(saved);
    close(errFd);
    ASSERT_GT(pid, 0);
    ProcessHandle launcher = ProcessHandle::Open(pid);

    const std::string log = tree / "Personal/Logs/Launcher.log";
    const bool answered = WaitForLogLine(log, "page event Launcher.OnFrameLoad", 12000);
    EXPECT_TRUE(answered) << ReadAll(log) << ReadAll(err);
    int x = 0, y = 0;
    const bool shown = answered && FindLauncherWindow(display, x, y);
    EXPECT_TRUE(shown);
    if (shown) {
        if (checkable) {
            Click(display, x + kFullCheckX, y + kFullCheckY);
            EXPECT_TRUE(WaitForLogLine(log, "page event FullCheck.OnComplete", 10000)) << ReadAll(log);
        }
        // The web process paints on its own time; the page changes just after the event.
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        const std::string screenshot = LAUNCHER_BUILD_DIR "/launcher-window.png";
        EXPECT_TRUE(SaveScreenPng(display, screenshot));
        std::cout << "screenshot: " << screenshot << std::endl;
        Click(display, x + kExitX, y + kExitY);
    }
    int code = -1;
    if (launcher.WaitForExit(shown ? 8000 : 0, &code) != WaitResult::Exited) {
        launcher.Kill();
        launcher.WaitForExit(5000);
        ADD_FAILURE() << "the launcher did not end\n" << ReadAll(log) << ReadAll(err);
    } else {
        EXPECT_EQ(code, 0) << ReadAll(err).substr(0, 4000);
    }
    XCloseDisplay(display);

    const std::string traffic = ReadAll(log);
    for (const char* line : {"page command 666", "page command 10", "page command 7835", "page command 1002"})
        EXPECT_NE(traffic.find(line), std::string::npos) << line << "\n" << traffic;
    if (checkable) {
        for (const char* line : {"page command 50", "page event FullCheck.OnStart", "page event FullCheck.OnProgress"})
            EXPECT_NE(traffic.find(line), std::string::npos) << line << "\n" << traffic;
    }
    EXPECT_EQ(traffic.find("script error"), std::string::npos) << traffic;
    EXPECT_EQ(traffic.find("did not answer"), std::string::npos) << traffic;
}
