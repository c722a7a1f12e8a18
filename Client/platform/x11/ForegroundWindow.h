#pragma once
// Which process owns the window in front, as an EWMH window manager tells it: the
// root window's _NET_ACTIVE_WINDOW, and that window's _NET_WM_PID.
#include <optional>
#include <sys/types.h>

// The owner's process id; 0 when the window in front names none (or there is no
// window in front). Nothing when it cannot be told: no X display, a Wayland session
// (whose windows X cannot see), or a window manager without EWMH.
std::optional<pid_t> ForegroundWindowProcess();
