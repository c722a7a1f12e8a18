#pragma once
// Which folders a self-update may write into or delete. The folder comes from the
// command line, so it is checked before anything touches it: never the file-system
// root, the home folder or one of its ancestors, nor the running launcher's own
// folder or one of its ancestors.
#include <string>

// The installation for "/update" and "/reinstall": its canonical path, or "" when it
// is refused or lacks the shape of a game root (bin/ and Profiles/ folders).
std::string CheckedInstallation(const std::string& path, const std::string& ownFolder);

// The download folder for "/droptemp": its canonical path, or "" when it is refused,
// lies in the running launcher's game root (the parent of ownFolder) or is that root
// or one of its ancestors, is the temporary folder itself, has the shape of a game
// root, or is not a launcher download of this user (IsOwnLauncherDownload, for the
// path as given and for the folder it resolves to).
std::string CheckedDownloadFolder(const std::string& path, const std::string& ownFolder);
