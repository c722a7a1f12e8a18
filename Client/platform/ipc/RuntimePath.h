#pragma once
// Where per-user objects of the running session live (locks, sockets). Their names are
// known to every user of the machine, so they live only in a folder of the user's own
// that nobody else can enter: whoever could put a file there first could hold the lock,
// or stand in for the socket.
#include <string>

// $XDG_RUNTIME_DIR when it is such a folder, else /tmp/brennic-UID (made when missing and
// checked like any other); "" when neither is. The runtime folder of another user
// (handed on to a launcher started as root) is passed over, not written into.
std::string OwnRuntimeFolder();
// OwnRuntimeFolder()/NAME.SUFFIX; "" without that folder.
std::string RuntimeObjectPath(const std::string& name, const std::string& suffix);
// The folder in /tmp that OwnRuntimeFolder falls back to: /tmp/brennic-UID.
std::string UserTmpFolder();

// A folder that only this user can enter, for sockets whose peer must not be an
// impostor: $XDG_RUNTIME_DIR, else /tmp/brennic-UID (created when missing). "" when
// the folder is not a real folder of ours closed to everybody else.
std::string PrivateRuntimeFolder();
bool IsPrivateFolder(const std::string& folder);
