#pragma once
// The last game this launcher started, by either kind of start: the downloads ask
// whether it runs and whether its window is in front to choose their speed limits.
#include <memory>
#include <sys/types.h>

#include "platform/process/ProcessHandle.h"

// A game process shared by the game start's monitor and the process-wide record. When
// the last holder lets go, the process is reaped once it ends.
using GameProcess = std::shared_ptr<ProcessHandle>;
GameProcess ShareGameProcess(ProcessHandle&& handle);

// Makes game the last game started; the one before it is let go.
void SetLastGameProcess(const GameProcess& game);

// The id of the last game started; 0 until one was. Never reset.
pid_t GameProcessId();
// The last game started is still running.
bool IsGameRunning();
// The last game started runs and its window is in front. Where the window in front
// cannot be told (no X display, a Wayland session, a window manager without EWMH),
// the game counts as in front whenever it runs: the stricter speed limit.
bool IsGameForeground();
