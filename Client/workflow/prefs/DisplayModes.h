#pragma once
// The screen modes the preferences offer: those of the display of at least 800 by 600
// (either way round), each size once whatever its refresh rates, largest first.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/runtime/String.h"
#include "platform/display/DisplayModeSource.h"

struct DisplayMode {
    std::int32_t index = 0;
    WideString text;         // "1280x1024"
    WideString swappedText;  // "1024x1280"
};

class DisplayModes {
public:
    static DisplayModes Build(IDisplayModeSource& source);
    // Built from the system's display on first use and kept for the process.
    static const DisplayModes& Process();

    // The first mode whose text or swapped text is exactly text; 0 when none is.
    std::int32_t IndexOf(const WideString& text) const;

    std::size_t Size() const { return modes_.size(); }
    bool Contains(std::int32_t index) const { return index >= 0 && static_cast<std::size_t>(index) < modes_.size(); }
    const DisplayMode& operator[](std::size_t index) const { return modes_[index]; }
    const std::vector<DisplayMode>& All() const { return modes_; }

private:
    std::vector<DisplayMode> modes_;
};
