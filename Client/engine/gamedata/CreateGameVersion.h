#pragma once
// The one place that picks the version-file loader and its file checker: the generation
// is fixed in the program (GameVersionFormat), never guessed from the file.
#include "base/runtime/String.h"
#include "base/runtime/Vector.h"
#include "engine/gamedata/ICRCChecker.h"
#include "engine/gamedata/IGameVersion.h"

namespace Game {

// Format 4: the "ver4" loader, 5: the "ver5" loader (built-in key); anything else: null.
RefPtr<IGameVersion> CreateGameVersion(int format, const String& root, const String& fileName, int flagsMask);
// Whether the bytes read as a version file of the format (signature included).
bool IsGameVersionFile(int format, const ByteVector& bytes);
// The version that the file at path names when it reads as a version file of the
// format (signature included); "" when it does not.
WideString VersionTextOfFile(int format, const String& path);
// The same for the bytes of a version file.
WideString VersionTextOfBytes(int format, const ByteVector& bytes);

// What makes the checkers of the format's contents (4: CRC-32, 5: MD5); null for another.
CheckerFactory CheckerOfFormat(int format);

}  // namespace Game
