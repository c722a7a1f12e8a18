#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include "platform/display/DisplayModeSource.h"

namespace {

// One connection for the question, closed on every path.
struct DisplayConnection {
    Display* display = XOpenDisplay(nullptr);
    ~DisplayConnection() {
        if (display) XCloseDisplay(display);
    }
};

std::vector<ScreenSize> OutputModes(const XRRScreenResources& resources, const XRROutputInfo& output) {
    std::vector<ScreenSize> modes;
    for (int i = 0; i < output.nmode; ++i) {
        for (int j = 0; j < resources.nmode; ++j) {
            const XRRModeInfo& mode = resources.modes[j];
            if (mode.id == output.modes[i]) modes.push_back({static_cast<int>(mode.width), static_cast<int>(mode.height)});
        }
    }
    return modes;
}

}  // namespace

std::vector<ScreenSize> XrandrModes::Modes() {
    DisplayConnection connection;
    int eventBase = 0, errorBase = 0;
    if (!connection.display || !XRRQueryExtension(connection.display, &eventBase, &errorBase)) return {};
    // The current configuration: asking the outputs to probe again can take seconds.
    XRRScreenResources* resources =
        XRRGetScreenResourcesCurrent(connection.display, DefaultRootWindow(connection.display));
    if (!resources) return {};
    std::vector<ScreenSize> modes;
    for (int i = 0; i < resources->noutput && modes.empty(); ++i) {
        XRROutputInfo* output = XRRGetOutputInfo(connection.display, resources, resources->outputs[i]);
        if (!output) continue;
        if (output->connection == RR_Connected) modes = OutputModes(*resources, *output);
        XRRFreeOutputInfo(output);
    }
    XRRFreeScreenResources(resources);
    return modes;
}
