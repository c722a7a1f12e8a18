#pragma once
// The nine preferences the page shows and edits, in the page's order and under its
// field names.
#include <cstdint>

#include "base/runtime/String.h"
#include "workflow/prefs/DisplayModes.h"

struct PrefsRecord {
    // The quality that leaves the preset to the game's own detection.
    static constexpr std::int32_t kAutoDetect = 6;
    static constexpr std::size_t kFieldCount = 9;

    bool isGameMovementMouse = true;
    bool isSoundMute = false;
    bool isGfxFullscreen = false;
    std::int32_t gfxQuality = kAutoDetect;
    std::int32_t gfxScreen = 0;  // index into the display modes
    std::int32_t patchSaveSize = 500;
    bool isFutureUpdates = false;
    float downLimitGameActive = 20.0f;  // kB/s
    float downLimitGameRun = 100.0f;    // kB/s

    bool operator==(const PrefsRecord&) const = default;

    // The defaults; the screen is 1280x1024 when the display offers it, else the first mode.
    void SetDefaults(const DisplayModes& modes);

    // Reads the page's nine fields joined by ':' (flags, whole numbers, kB/s limits). A
    // field that does not read is false, 0 or 0.0; a limit is held between 0 and the
    // highest rate the downloads can use. False, and the record untouched, unless
    // there are exactly nine fields.
    bool ReadPageFields(const WideString& argument);
};
