#pragma once
// Runs the build's real Launcher.exe in a temporary game tree on a private Xvfb, and
// drives it as a player would: XTest clicks and keys, and PNG screenshots. As root the
// launcher runs in a network namespace of its own with only loopback, and with a /dev/shm
// of its own; X reaches it through its socket file.
#include <X11/Xlib.h>

#include <string>
#include <vector>

#include "platform/process/ProcessHandle.h"
#include "support/GameTree.h"

constexpr int kLauncherWindowWidth = 748;

// The whole text of a file; "" when it cannot be read.
std::string ReadAll(const std::string& path);
// Polls the file until it holds text (count times), for at most boundMs.
bool WaitForText(const std::string& path, const std::string& text, int boundMs, int count = 1);

// A shown top-level window of that width (and height, unless 0), with its place on
// the screen and, when asked, its id.
bool FindWindowOfWidth(Display* display, int width, int& x, int& y, int height = 0, Window* id = nullptr);
// Waits at most boundMs for such a window.
bool WaitForWindowOfWidth(Display* display, int width, int height, int& x, int& y, int boundMs);
inline bool FindLauncherWindow(Display* display, int& x, int& y) {
    return FindWindowOfWidth(display, kLauncherWindowWidth, x, y);
}
// Waits for the page's first frame in the launcher's log of the tree, then finds the
// launcher's window; when either fails, the log and the launcher's stderr are printed.
bool WaitForLauncherPage(Display* display, const GameTree& tree, int& x, int& y);
bool SaveScreenPng(Display* display, const std::string& path);
// Only the rectangle of the screen, for example one window.
bool SaveScreenPng(Display* display, const std::string& path, int left, int top, int width, int height);
// Saves the screen as name under the build folder once the web process has had time
// to paint what the last events changed, and prints where.
bool SaveScreenshot(Display* display, const std::string& name);
// The colour (0xRRGGBB) of one pixel of the screen.
unsigned PixelAt(Display* display, int x, int y);
// Waits at most boundMs for the pixel to show the colour: the web process paints on
// its own time, after the events that changed the page.
bool WaitForColor(Display* display, int x, int y, unsigned rgb, int boundMs);
void Click(Display* display, int x, int y);
// Presses and releases the key of each character (letters, digits, Tab, Return).
void TypeKeys(Display* display, const std::string& keys);
// Presses the keys named by their keysyms ("Control_L", "a") in order and releases them
// in reverse: one chord such as Ctrl+A.
void PressChord(Display* display, const std::vector<std::string>& keysyms);

// Writes the tree's Profiles/Launcher.cfg with an update server that is not there (the
// discard port of loopback), so that a window test meets none, followed by extraLines.
bool WriteNoUpdateServerConfig(const GameTree& tree, const std::string& extraLines = "");

// Sets the environment that a launcher started from here inherits: the display, folders
// under root for XDG, sanitizer suppressions for the toolkits' caches, no session bus,
// and the system bus at systemBus (by default one that does not exist, so the machine's
// own firewall service never joins a test).
void PrepareLauncherEnvironment(const std::string& root, const std::string& display, const std::string& systemBus = "");
// Prepares the environment of the launcher in the tree's root and starts
// tree/bin/Launcher.exe there with the arguments, the extra
// "NAME=value" entries in its environment, and its stderr in tree/stderr; an invalid
// handle when it could not start. ownNetwork false keeps the launcher in the test's
// network, for a test that has one of its own with the servers the launcher must reach.
ProcessHandle StartLauncher(const GameTree& tree, const std::string& display,
                            const std::vector<std::string>& arguments = {}, const std::string& systemBus = "",
                            const std::vector<std::string>& extraEnvironment = {}, bool ownNetwork = true);
// The same for a launcher already in place at launcher (for one that runs from
// elsewhere than tree/bin); it starts in its own folder.
ProcessHandle StartLauncherAt(const GameTree& tree, const std::string& launcher, const std::string& display,
                              const std::vector<std::string>& arguments = {}, const std::string& systemBus = "",
                              const std::vector<std::string>& extraEnvironment = {}, bool ownNetwork = true);
// The launcher's exit code, or -1 after killing it when it ran longer than boundMs.
int WaitForLauncherExit(ProcessHandle& launcher, int boundMs);
