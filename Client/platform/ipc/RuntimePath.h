#pragma once
// Where per-user objects of the running session live (locks, sockets): the user's
// runtime folder when the session has one, else /tmp with the user id in the name.
#include <string>

// $XDG_RUNTIME_DIR/NAME.SUFFIX, or /tmp/NAME-UID.SUFFIX.
std::string RuntimeObjectPath(const std::string& name, const std::string& suffix);

// A folder that only this user can enter, for sockets whose peer must not be an
// impostor: $XDG_RUNTIME_DIR, else /tmp/brennic-UID (created when missing). "" when
// the folder is not a real folder of ours closed to everybody else.
std::string PrivateRuntimeFolder();
bool IsPrivateFolder(const std::string& folder);
