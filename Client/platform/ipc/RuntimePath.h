#pragma once
// Where per-user objects of the running session live (locks, sockets): the user's
// runtime folder when the session has one, else /tmp with the user id in the name.
#include <string>

// $XDG_RUNTIME_DIR/NAME.SUFFIX, or /tmp/NAME-UID.SUFFIX.
std::string RuntimeObjectPath(const std::string& name, const std::string& suffix);
