#pragma once
// The demo marker at the end of a run whose full-version download was cancelled
// (demo state 3): the partial download it names is removed and the installation is
// marked a demo again.
#include <string_view>

#include "shell/AppParams.h"

// The folder name a marker's contents give, or "" when they do not name exactly one
// plain folder inside the patches folder ("", ".", "..", paths, control characters
// and invalid UTF-8 name nothing).
WideString DemoDownloadFolderName(std::string_view markerContents);

// The patches folder's subfolder the full version is downloaded into.
inline constexpr char16_t kFullVersionFolder[] = u"Full";

// Deletes the download folder patchesDir/<name> with everything in it, when it is a
// folder; a link there, or inside it, is deleted as a name, never followed. Failures
// are ignored.
void RemoveDownloadFolder(const WideString& patchesDir, const WideString& name);

// Removes patchesDir/<name> when the marker names one, and the full version's download
// folder, deletes the marker and creates the empty marker with the extension "bin".
// Failures are ignored.
void FinalizeDemoMarker(const AppParams& params);
