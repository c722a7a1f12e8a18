#pragma once
// One damaged file: its path relative to the game root (no leading separator), the size
// the version file gives and the check's result code (0 once repaired).
#include <cstdint>

#include "base/runtime/String.h"

struct RipEntry {
    WideString path;
    std::uint32_t size = 0;
    std::int32_t code = 0;
};
