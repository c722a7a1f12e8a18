#pragma once
// The game's project id at the game hub, which the game's packs carry: the entry
// "Version/VantryInfo.bin" of "data/Packs/Version.pak" holds it as decimal text,
// padded with '#'.
#include <cstdint>

#include "base/runtime/String.h"

// Entries larger than this are not a number and are not read.
constexpr std::int32_t kMaxProjectIdEntry = 4096;

// The id in the pack at packPath; 0 when the pack, the entry or a number in it is
// missing, or the number does not fit an int.
int ReadProjectId(const String& packPath);
