#pragma once
// The tests behind the start-up checks that need no system of their own: the file
// system a path lies on and the web engine's version. LauncherApp::CheckEnvironment
// (defined beside them) runs them with what the environment probe reports.
#include <string>

#include "base/runtime/String.h"
#include "platform/gtk/WebKitVersion.h"

// The oldest WebKitGTK the page is written for.
constexpr WebKitVersionNumber kOldestWebKit{2, 40};

// False when the file system holding path is a network one (NFS, SMB, 9p, sshfs and
// the like) in the mount table given in mountinfo form. A path the table does not
// cover counts as local. Symbolic links are resolved first.
bool IsLocalFolder(const WideString& path, const std::string& mountTable);

// Whether the type names a file system whose files live on another machine.
bool IsNetworkFileSystem(const std::string& type);

bool IsBrowserRecentEnough(const WebKitVersionNumber& version);
