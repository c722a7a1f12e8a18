#include "WindowDriver.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/process/ProcessSpawn.h"

namespace {

// Under LeakSanitizer the program's own leaks count; GTK's and WebKit's process-long
// caches do not.
constexpr char kLeakSuppressions[] =
    "leak:libgtk-3\nleak:libgdk-3\nleak:libwebkit2gtk\nleak:libjavascriptcoregtk\n"
    "leak:libglib-2.0\nleak:libgobject-2.0\nleak:libfontconfig\nleak:libEGL\n"
    "leak:libGLX\nleak:libgio-2.0\nleak:libdbus-1\nleak:libpango\nleak:libcairo\n";

// unshare gives the program a network of its own, whose loopback starts down; the
// display and the test's buses are socket files and stay reachable.
SpawnRequest InPrivateNetwork(const std::string& program, const std::vector<std::string>& arguments,
                              const std::string& folder) {
    const std::string unshare = FindExecutableInPath("unshare");
    std::vector<std::string> argv = {unshare, geteuid() == 0 ? "-n" : "-rn", "--", "/bin/sh", "-c",
                                     "ip link set lo up && exec \"$0\" \"$@\"", program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return SpawnRequest{unshare, argv, folder};
}

}  // namespace

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

WindowedLauncher::WindowedLauncher(GameTree& tree) : tree_(tree) {
    if (!xvfb_.Start()) {
        problem_ = "no Xvfb";
        return;
    }
    setenv("DISPLAY", xvfb_.Display().c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    setenv("XDG_RUNTIME_DIR", tree.Root().c_str(), 1);
    for (const char* variable : {"XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"})
        setenv(variable, (tree / "xdg").c_str(), 1);
    setenv("MESA_SHADER_CACHE_DISABLE", "true", 1);
    // The machine's own firewall service never joins a test.
    setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + (tree / "no-system-bus")).c_str(), 1);
    // The web process's sandbox cannot start as root.
    if (geteuid() == 0) setenv("WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS", "1", 1);
    std::ofstream(tree / "lsan.supp") << kLeakSuppressions;
    setenv("LSAN_OPTIONS", ("suppressions=" + (tree / "lsan.supp")).c_str(), 1);
    std::filesystem::create_directories(tree / "bin");
    std::filesystem::copy_file(LAUNCHER_EXE_PATH, tree / "bin/Launcher.exe");
    display_ = XOpenDisplay(xvfb_.Display().c_str());
    if (!display_) problem_ = "cannot open " + xvfb_.Display();
}

WindowedLauncher::~WindowedLauncher() {
    if (process_.IsValid()) WaitForExit(0);
    if (display_) XCloseDisplay(display_);
}

bool WindowedLauncher::Start(const std::vector<std::string>& arguments) {
    // The child's stderr goes to a file for the duration of the spawn.
    const int saved = dup(2);
    const int errFd = open((tree_ / "stderr").c_str(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0600);
    dup2(errFd, 2);
    const pid_t pid = SpawnProcess(InPrivateNetwork(tree_ / "bin/Launcher.exe", arguments, tree_ / "bin"));
    dup2(saved, 2);
    close(saved);
    close(errFd);
    process_ = ProcessHandle::Open(pid);
    return process_.IsValid();
}

int WindowedLauncher::WaitForExit(int boundMs) {
    int code = -1;
    if (process_.WaitForExit(boundMs, &code) != WaitResult::Exited) {
        process_.Kill();
        process_.WaitForExit(5000);
        code = -1;
    }
    process_ = ProcessHandle();
    return code;
}

bool WindowedLauncher::FindWindow(int width, int& x, int& y, int height) const {
    Window root = DefaultRootWindow(display_), parent = 0, *children = nullptr;
    unsigned count = 0;
    bool found = false;
    if (XQueryTree(display_, root, &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count && !found; ++i) {
            XWindowAttributes attributes;
            if (XGetWindowAttributes(display_, children[i], &attributes) && attributes.map_state == IsViewable &&
                attributes.width == width && (height == 0 || attributes.height == height)) {
                x = attributes.x;
                y = attributes.y;
                found = true;
            }
        }
        if (children) XFree(children);
    }
    return found;
}

bool WindowedLauncher::WaitForWindow(int width, int height, int& x, int& y, int boundMs) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
    while (!FindWindow(width, x, y, height)) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

void WindowedLauncher::Click(int x, int y) const {
    XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
    XTestFakeButtonEvent(display_, 1, True, CurrentTime);
    XTestFakeButtonEvent(display_, 1, False, CurrentTime);
    XFlush(display_);
}

unsigned WindowedLauncher::PixelAt(int x, int y) const {
    XImage* image = XGetImage(display_, DefaultRootWindow(display_), x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return 0;
    const unsigned long pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return static_cast<unsigned>(pixel & 0xFFFFFF);
}

bool WindowedLauncher::WaitForColor(int x, int y, unsigned rgb, int boundMs) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
    while (PixelAt(x, y) != rgb) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

bool WindowedLauncher::Screenshot(const std::string& path) const {
    // The web process paints on its own time; the page changes just after its event.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const int width = DisplayWidth(display_, DefaultScreen(display_));
    const int height = DisplayHeight(display_, DefaultScreen(display_));
    XImage* image = XGetImage(display_, DefaultRootWindow(display_), 0, 0, width, height, AllPlanes, ZPixmap);
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
