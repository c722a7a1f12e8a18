#pragma once
// Names from a version file are untrusted: they are joined to the game root and, as
// relative paths, to other folders (the repair). Folder names conventionally carry one
// leading separator ("/bin/"), which the relative form drops.
#include "base/runtime/String.h"

namespace Game {

// folderName + contentName with one leading '/' or '\' removed.
String RelativeGamePath(const String& folderName, const String& contentName);
// False for a relative path that is still absolute, has a ".." component or a control character.
bool IsSafeRelativePath(const String& relative);

}  // namespace Game
