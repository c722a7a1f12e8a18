#pragma once
// One damaged file: its path relative to the game root (no leading separator), the size
// the version file gives, the check's result code (0 once repaired), and the signed
// version file's record of it, which a downloaded replacement must match.
#include <cstdint>

#include "base/runtime/String.h"
#include "engine/gamedata/GameFolder.h"

struct RipEntry {
    WideString path;
    std::uint32_t size = 0;
    std::int32_t code = 0;
    // Null when the entry did not come from a version file: nothing downloaded for it is
    // put in place.
    RefPtr<Game::GameFolder::Content> record;
};
