#pragma once
// The folder the launcher download makes for a new launcher: a new folder under the
// temporary folder, made by mkdtemp from kLauncherDownloadPattern, holding the
// launcher's torrent and the downloaded files (directly, or in the torrent's one top
// folder). The restart after a self-update names it for "/droptemp", which deletes
// it, so only a folder of exactly this shape, made by this user, ever counts.
#include <string>

// The name pattern of mkdtemp: "LAU" and six characters that mkdtemp fills in.
inline constexpr char kLauncherDownloadPattern[] = "LAUXXXXXX";

// True when folder (a link is never followed at its last component) is a real folder
// of this process's effective user, named as kLauncherDownloadPattern makes names, and
// holds the launcher's torrent as a regular file of the same user.
bool IsOwnLauncherDownload(const std::string& folder);

// The launcher download that the executable at ownPath runs from: its own folder or
// that folder's parent, the first that IsOwnLauncherDownload; "" when neither is.
std::string LauncherDownloadOf(const std::string& ownPath);
