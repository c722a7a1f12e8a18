#pragma once
// Drives the real Launcher.exe on an X display of the test's own: a copy of the
// program in a temporary game tree, started in a private network namespace with only
// loopback, its windows found by their width, clicked with XTest and photographed.
#include <X11/Xlib.h>

#include <string>
#include <vector>

#include "platform/process/ProcessHandle.h"
#include "support/GameTree.h"
#include "support/PrivateXvfb.h"

// The whole file; "" when it cannot be read.
std::string ReadAll(const std::string& path);
// Polls the file until it holds text (count times), for at most boundMs.
bool WaitForText(const std::string& path, const std::string& text, int boundMs, int count = 1);

class WindowedLauncher {
public:
    // Starts the display and sets up the environment the program runs in (its own
    // runtime and configuration folders, no system bus but the one a test names).
    explicit WindowedLauncher(GameTree& tree);
    ~WindowedLauncher();
    WindowedLauncher(const WindowedLauncher&) = delete;
    WindowedLauncher& operator=(const WindowedLauncher&) = delete;

    // False when no Xvfb could be had; the test then skips (or fails under CI).
    bool HasDisplay() const { return display_ != nullptr; }
    const std::string& Problem() const { return problem_; }

    // Starts tree/bin/Launcher.exe with these arguments in its bin folder; false when
    // it could not start.
    bool Start(const std::vector<std::string>& arguments = {});
    // The program's exit code, or -1 after killing it when it ran longer than boundMs.
    int WaitForExit(int boundMs);

    std::string LogPath() const { return tree_ / "Personal/Logs/Launcher.log"; }
    std::string Log() const { return ReadAll(LogPath()); }
    std::string Stderr() const { return ReadAll(tree_ / "stderr"); }
    bool WaitForLog(const std::string& line, int boundMs, int count = 1) const {
        return WaitForText(LogPath(), line, boundMs, count);
    }

    // The shown top-level window of this width (and height, unless 0) and its place;
    // false when none is shown.
    bool FindWindow(int width, int& x, int& y, int height = 0) const;
    // Waits at most boundMs for such a window to be shown.
    bool WaitForWindow(int width, int height, int& x, int& y, int boundMs) const;
    void Click(int x, int y) const;
    // The colour (0xRRGGBB) of one screen pixel.
    unsigned PixelAt(int x, int y) const;
    // Waits at most boundMs for the pixel to show the colour: the web process paints
    // on its own time, after the events that changed the page.
    bool WaitForColor(int x, int y, unsigned rgb, int boundMs) const;
    // Saves the whole screen as a PNG after giving the web process time to paint.
    bool Screenshot(const std::string& path) const;

private:
    GameTree& tree_;
    PrivateXvfb xvfb_;
    Display* display_ = nullptr;
    std::string problem_;
    ProcessHandle process_;
};
