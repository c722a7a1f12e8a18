#include "platform/display/DisplayModeSource.h"

std::vector<ScreenSize> FirstAvailableModes::Modes() {
    for (const std::unique_ptr<IDisplayModeSource>& source : sources_) {
        std::vector<ScreenSize> modes = source->Modes();
        if (!modes.empty()) return modes;
    }
    return {};
}

std::unique_ptr<IDisplayModeSource> CreateSystemDisplayModeSource() {
    std::vector<std::unique_ptr<IDisplayModeSource>> sources;
    sources.push_back(std::make_unique<DrmConnectorModes>());
    sources.push_back(std::make_unique<XrandrModes>());
    sources.push_back(std::make_unique<MonitorSizeModes>());
    return std::make_unique<FirstAvailableModes>(std::move(sources));
}
