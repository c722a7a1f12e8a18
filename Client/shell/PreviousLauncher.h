#pragma once
// A launcher started by an earlier one (a restart, or an update handing over) waits
// for that earlier one to end before it takes the single-instance lock.
#include <string>

#include "shell/AppParams.h"
#include "shell/ProcessQuery.h"

constexpr int kPreviousLauncherWaitMs = 10000;

// True when the parent is an earlier launcher: its file name is our own, and, when
// update or reinstall is set, it lies inside cmdPath (the installation that started
// us). An empty cmdPath or the root alone names no folder, so it never matches.
bool IsStartedByPreviousLauncher(const AppParams& params, const std::string& ownPath, const std::string& parentPath);

enum class PreviousLauncherOutcome { NotWaited, Ended, Killed };

// Waits at most limitMs for such a parent to end and ends it past the limit.
PreviousLauncherOutcome WaitForPreviousLauncher(const AppParams& params, IProcessQuery& query, int limitMs);
