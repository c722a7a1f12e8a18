#pragma once
// Runs the build's real Launcher.exe in a temporary game tree on a private Xvfb, and
// drives it as a player would: XTest clicks and keys, and PNG screenshots. As root the
// launcher runs in a network namespace of its own with only loopback; X reaches it
// through its socket file.
#include <X11/Xlib.h>

#include <string>

#include "platform/process/ProcessHandle.h"
#include "support/GameTree.h"

constexpr int kLauncherWindowWidth = 748;

// The whole text of a file; "" when it cannot be read.
std::string ReadAll(const std::string& path);
// Polls the file until it holds text, for at most boundMs.
bool WaitForText(const std::string& path, const std::string& text, int boundMs);

// A shown top-level window of that width, with its place on the screen.
bool FindWindowOfWidth(Display* display, int width, int& x, int& y);
inline bool FindLauncherWindow(Display* display, int& x, int& y) {
    return FindWindowOfWidth(display, kLauncherWindowWidth, x, y);
}
bool SaveScreenPng(Display* display, const std::string& path);
void Click(Display* display, int x, int y);
// Presses and releases the key of each character (letters, digits, Tab, Return).
void TypeKeys(Display* display, const std::string& keys);

// Prepares the environment of the launcher (the display, folders of the tree for
// XDG, sanitizer suppressions for the toolkits' caches) and starts tree/bin/Launcher.exe
// there with its stderr in tree/stderr; an invalid handle when it could not start.
ProcessHandle StartLauncher(const GameTree& tree, const std::string& display);
