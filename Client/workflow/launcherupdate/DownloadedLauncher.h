#pragma once
// Starting the launcher that the launcher download left in its folder: the
// executable is "Launcher.exe" in the folder's first sub-folder, started there with
// "/update" (mode 1) or "/reinstall" (mode 2) and the game root, then " /UAC" and
// "/authkey KEY" as this run had them.
#include <optional>
#include <string>

#include "base/runtime/String.h"
#include "platform/process/ProcessSpawn.h"

// The page's mode text: a whole number as "%i" reads it (decimal, octal with a leading
// 0, hexadecimal with "0x"); 0 for anything else, which starts nothing.
int ParseLauncherMode(const WideString& text);

// The name of the first real sub-folder (not a link) of folder, in name order; "".
std::string FirstSubfolderName(const std::string& folder);

// The start of the downloaded launcher for the torrent at torrentPath; ownPath is the
// running launcher's executable (in the game's bin folder). Nothing for a mode other
// than 1 or 2, or without an own path.
std::optional<SpawnRequest> BuildDownloadedLauncherStart(int mode, const std::string& torrentPath,
                                                         const std::string& ownPath, bool uac, const WideString& key);

// Makes the executable runnable (it arrived by download) and starts it without
// waiting; a failure is logged. True when it started.
bool StartDownloadedLauncher(const SpawnRequest& request);
