#pragma once
// Where the screen modes the game may run in come from: the first connected output's
// modes as the kernel's DRM driver lists them (works without a display server and
// under Wayland), else the X server's RandR outputs, else the size of the monitor
// the desktop reports. Every source lists what it finds as it stands; choosing and
// ordering the modes is up to the caller.
#include <memory>
#include <string>
#include <vector>

struct ScreenSize {
    int width = 0;
    int height = 0;
    bool operator==(const ScreenSize&) const = default;
};

class IDisplayModeSource {
public:
    virtual ~IDisplayModeSource() = default;
    // Empty when the source has nothing to offer.
    virtual std::vector<ScreenSize> Modes() = 0;
};

// The "modes" file of the first connector, in name order, whose "status" reads
// "connected", under a DRM class folder ("/sys/class/drm" on a running system).
class DrmConnectorModes final : public IDisplayModeSource {
public:
    explicit DrmConnectorModes(std::string classFolder = "/sys/class/drm") : classFolder_(std::move(classFolder)) {}
    std::vector<ScreenSize> Modes() override;

private:
    std::string classFolder_;
};

// The modes of the first connected output of the X display named by $DISPLAY.
class XrandrModes final : public IDisplayModeSource {
public:
    std::vector<ScreenSize> Modes() override;
};

// The size in pixels of the desktop's primary monitor, as the only mode; nothing
// before the toolkit has opened its display.
class MonitorSizeModes final : public IDisplayModeSource {
public:
    std::vector<ScreenSize> Modes() override;
};

// The first of its sources that offers any mode.
class FirstAvailableModes final : public IDisplayModeSource {
public:
    explicit FirstAvailableModes(std::vector<std::unique_ptr<IDisplayModeSource>> sources)
        : sources_(std::move(sources)) {}
    std::vector<ScreenSize> Modes() override;

private:
    std::vector<std::unique_ptr<IDisplayModeSource>> sources_;
};

// DRM, then XRandR, then the monitor's size.
std::unique_ptr<IDisplayModeSource> CreateSystemDisplayModeSource();

// "1920x1080" and the like at the start of a line ("1920x1080i" and refresh
// suffixes are read as their size); false for anything else.
bool ParseModeName(const std::string& line, ScreenSize& size);
