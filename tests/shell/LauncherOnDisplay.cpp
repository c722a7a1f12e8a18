#include "shell/LauncherOnDisplay.h"

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
#include <thread>

#include "platform/process/EnvironmentBlock.h"
#include "platform/process/ProcessSpawn.h"
#include "support/FileBytes.h"
#include "support/ViewableWindow.h"

std::string ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

namespace {

int Occurrences(const std::string& haystack, const std::string& needle) {
    int count = 0;
    for (std::size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1)) ++count;
    return count;
}

}  // namespace

bool WaitForText(const std::string& path, const std::string& text, int boundMs, int count) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (Occurrences(ReadAll(path), text) >= count) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return Occurrences(ReadAll(path), text) >= count;
}

bool FindWindowOfWidth(Display* display, int width, int& x, int& y, int height, Window* id) {
    return FindViewableWindow(display, width, x, y, height, id);
}

bool WaitForLauncherPage(Display* display, const GameTree& tree, int& x, int& y) {
    const std::string log = tree / "Personal/Logs/Launcher.log";
    if (WaitForText(log, "page event Launcher.OnFrameLoad", 12000) && FindLauncherWindow(display, x, y)) return true;
    std::cerr << "the launcher's page did not show\n" << ReadAll(log) << ReadAll(tree / "stderr");
    return false;
}

bool WaitForWindowOfWidth(Display* display, int width, int height, int& x, int& y, int boundMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
    while (!FindWindowOfWidth(display, width, x, y, height)) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

bool SaveScreenshot(Display* display, const std::string& name) {
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    const std::string path = std::string(LAUNCHER_BUILD_DIR "/") + name;
    if (!SaveScreenPng(display, path)) return false;
    std::cout << "screenshot: " << path << std::endl;
    return true;
}

unsigned PixelAt(Display* display, int x, int y) {
    XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return 0;
    const unsigned long pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return static_cast<unsigned>(pixel & 0xFFFFFF);
}

bool WaitForColor(Display* display, int x, int y, unsigned rgb, int boundMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
    while (PixelAt(display, x, y) != rgb) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

bool SaveScreenPng(Display* display, const std::string& path) {
    return SaveScreenPng(display, path, 0, 0, DisplayWidth(display, DefaultScreen(display)),
                         DisplayHeight(display, DefaultScreen(display)));
}

bool SaveScreenPng(Display* display, const std::string& path, int left, int top, int width, int height) {
    XImage* image = XGetImage(display, DefaultRootWindow(display), left, top, width, height, AllPlanes, ZPixmap);
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

void Click(Display* display, int x, int y) {
    XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XFlush(display);
}

void TypeKeys(Display* display, const std::string& keys) {
    for (char c : keys) {
        const std::string name = c == '\t' ? "Tab" : c == '\n' ? "Return" : std::string(1, c);
        const KeyCode code = XKeysymToKeycode(display, XStringToKeysym(name.c_str()));
        if (code == 0) continue;
        XTestFakeKeyEvent(display, code, True, CurrentTime);
        XTestFakeKeyEvent(display, code, False, CurrentTime);
        XFlush(display);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

bool WriteNoUpdateServerConfig(const GameTree& tree, const std::string& extraLines) {
    return WriteWholeFile(tree / "Profiles/Launcher.cfg", "hostIP = \"127.0.0.1\"\nhostPort = 9\n" + extraLines);
}

void PressChord(Display* display, const std::vector<std::string>& keysyms) {
    std::vector<KeyCode> codes;
    for (const std::string& name : keysyms) {
        const KeyCode code = XKeysymToKeycode(display, XStringToKeysym(name.c_str()));
        if (code != 0) codes.push_back(code);
    }
    for (KeyCode code : codes) XTestFakeKeyEvent(display, code, True, CurrentTime);
    for (auto code = codes.rbegin(); code != codes.rend(); ++code) XTestFakeKeyEvent(display, *code, False, CurrentTime);
    XFlush(display);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

void PrepareLauncherEnvironment(const std::string& root, const std::string& display, const std::string& systemBus) {
    setenv("DISPLAY", display.c_str(), 1);
    setenv("DBUS_SYSTEM_BUS_ADDRESS",
           (systemBus.empty() ? "unix:path=" + (root + "/no-system-bus") : systemBus).c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    // No session bus: GLib would autolaunch one for the display, and with it the
    // accessibility bus, all of which outlive the test when the display's watcher misses
    // its end; and their start-up is a synchronous round that waits up to 25 s under load.
    setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + (root + "/no-session-bus")).c_str(), 1);
    setenv("NO_AT_BRIDGE", "1", 1);
    setenv("XDG_RUNTIME_DIR", root.c_str(), 1);
    for (const char* variable : {"XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"})
        setenv(variable, (root + "/xdg").c_str(), 1);
    setenv("MESA_SHADER_CACHE_DISABLE", "true", 1);
    // The web process's sandbox cannot start as root.
    if (geteuid() == 0) setenv("WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS", "1", 1);
    // Under LeakSanitizer the program's own leaks count; GTK's and WebKit's process-long
    // caches do not.
    std::ofstream(root + "/lsan.supp") << "leak:libgtk-3\nleak:libgdk-3\nleak:libwebkit2gtk\nleak:libjavascriptcoregtk\n"
                                        "leak:libglib-2.0\nleak:libgobject-2.0\nleak:libfontconfig\nleak:libEGL\n"
                                        "leak:libGLX\nleak:libgio-2.0\nleak:libdbus-1\nleak:libpango\nleak:libcairo\n";
    setenv("LSAN_OPTIONS", ("suppressions=" + root + "/lsan.supp").c_str(), 1);
}

ProcessHandle StartLauncher(const GameTree& tree, const std::string& display,
                            const std::vector<std::string>& arguments, const std::string& systemBus,
                            const std::vector<std::string>& extraEnvironment, bool ownNetwork) {
    std::filesystem::create_directories(tree / "bin");
    std::filesystem::copy_file(LAUNCHER_EXE_PATH, tree / "bin/Launcher.exe",
                               std::filesystem::copy_options::overwrite_existing);
    return StartLauncherAt(tree, tree / "bin/Launcher.exe", display, arguments, systemBus, extraEnvironment,
                           ownNetwork);
}

ProcessHandle StartLauncherAt(const GameTree& tree, const std::string& launcher, const std::string& display,
                              const std::vector<std::string>& arguments, const std::string& systemBus,
                              const std::vector<std::string>& extraEnvironment, bool ownNetwork) {
    PrepareLauncherEnvironment(tree.Root(), display, systemBus);

    SpawnRequest request{launcher, {launcher}, std::filesystem::path(launcher).parent_path().string()};
    request.argv.insert(request.argv.end(), arguments.begin(), arguments.end());
    const std::string unshare = FindExecutableInPath("unshare");
    const std::string ip = FindExecutableInPath("ip");
    if (geteuid() == 0 && !unshare.empty() && !ip.empty()) {
        // unshare and the shell exec into the launcher: the child's id stays the launcher's.
        // The game's status word is one name for the whole machine: each launcher (and the
        // game it starts) gets a /dev/shm of its own, so launchers of parallel tests never
        // remove or read each other's word.
        request.program = unshare;
        request.argv = {unshare};
        if (ownNetwork) request.argv.push_back("-n");
        request.argv.insert(request.argv.end(),
                            {"-m", "/bin/sh", "-c",
                             "mount -t tmpfs -o mode=1777 tmpfs /dev/shm && \"$0\" link set lo up && exec \"$@\"",
                             ip, launcher});
        request.argv.insert(request.argv.end(), arguments.begin(), arguments.end());
    }
    if (!extraEnvironment.empty()) {
        EnvironmentBlock environment = EnvironmentBlock::Inherited();
        for (const std::string& entry : extraEnvironment) {
            const std::size_t equals = entry.find('=');
            environment.Set(entry.substr(0, equals), equals == std::string::npos ? "" : entry.substr(equals + 1));
        }
        request.environment = environment.Entries();
    }
    const int saved = dup(2);
    const int errFd = open((tree / "stderr").c_str(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0600);
    dup2(errFd, 2);
    ProcessHandle child = SpawnChild(request);
    dup2(saved, 2);
    close(saved);
    close(errFd);
    return child;
}

int WaitForLauncherExit(ProcessHandle& launcher, int boundMs) {
    int code = -1;
    if (launcher.WaitForExit(boundMs, &code) == WaitResult::Exited) return code;
    launcher.Kill();
    launcher.WaitForExit(5000);
    return -1;
}
