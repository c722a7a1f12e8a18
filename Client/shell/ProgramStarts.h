#pragma once
// The programs the launcher starts: the patch applier after its window closed, itself
// again (in place, or the downloaded launcher after a self-update), and itself with
// administrator rights. Each gets an argv vector: the follow-up path and the key are
// arguments of their own, whatever characters they hold.
#include <optional>
#include <string>

#include "base/runtime/String.h"
#include "platform/process/ProcessSpawn.h"
#include "shell/AppParams.h"

// "./VaraRurezod.exe" FOLLOWUP [-authkey KEY], started in the current (bin) folder;
// nothing when the follow-up is empty.
std::optional<SpawnRequest> BuildApplierStart(const WideString& followUp, const WideString& key);

// In place: OWN [-UAC] [-authkey KEY] in the own folder. Otherwise the game's
// launcher CMDPATH/bin/Launcher.exe [-droptemp DOWNLOAD] [-UAC] [-authkey KEY],
// started in its bin folder, where DOWNLOAD is the launcher download that OWN runs
// from (LauncherDownloadOf); without one nothing is named for deletion. Nothing
// without an own path.
std::optional<SpawnRequest> BuildRestartStart(const AppParams& params, const std::string& ownPath, bool inPlace,
                                              const WideString& key);

// pkexec env --chdir=OWN-FOLDER DISPLAY=... OWN -UAC [-rip]; nothing when pkexec or
// env is not installed or no display exists to ask for the password on.
std::optional<SpawnRequest> BuildElevatedStart(const std::string& ownPath, bool rip);

// Starts a request without waiting for it (the main loop reaps it once it ends);
// false when it could not start.
bool StartDetached(const std::optional<SpawnRequest>& request);

// Starts the launcher again; the caller then ends its window.
void RestartLauncher(bool inPlace);
