#include "workflow/prefs/DisplayModes.h"

#include <algorithm>
#include <memory>

#include "base/runtime/StrUtil.h"

namespace {

bool IsLargeEnough(const ScreenSize& size) {
    return (size.width > 799 && size.height > 599) || (size.width > 599 && size.height > 799);
}

// Larger widths first, then larger heights; 64 bits, as sizes come from outside.
std::int64_t SortKey(const ScreenSize& size) { return std::int64_t{size.width} * 10000 + size.height; }

}  // namespace

DisplayModes DisplayModes::Build(IDisplayModeSource& source) {
    std::vector<ScreenSize> kept;
    for (const ScreenSize& size : source.Modes())
        if (IsLargeEnough(size) && std::find(kept.begin(), kept.end(), size) == kept.end()) kept.push_back(size);
    std::stable_sort(kept.begin(), kept.end(),
                     [](const ScreenSize& a, const ScreenSize& b) { return SortKey(a) > SortKey(b); });
    DisplayModes modes;
    for (const ScreenSize& size : kept) {
        modes.modes_.push_back({static_cast<std::int32_t>(modes.modes_.size()),
                                StrUtil::FormatW("%dx%d", size.width, size.height),
                                StrUtil::FormatW("%dx%d", size.height, size.width)});
    }
    return modes;
}

const DisplayModes& DisplayModes::Process() {
    static const DisplayModes modes = [] {
        std::unique_ptr<IDisplayModeSource> source = CreateSystemDisplayModeSource();
        return Build(*source);
    }();
    return modes;
}

std::int32_t DisplayModes::IndexOf(const WideString& text) const {
    for (const DisplayMode& mode : modes_)
        if (mode.text == text || mode.swappedText == text) return mode.index;
    return 0;
}
