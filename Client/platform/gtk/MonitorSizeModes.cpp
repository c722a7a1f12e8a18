#include <gtk/gtk.h>

#include "platform/display/DisplayModeSource.h"

std::vector<ScreenSize> MonitorSizeModes::Modes() {
    GdkDisplay* display = gdk_display_get_default();
    if (!display) return {};
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (!monitor && gdk_display_get_n_monitors(display) > 0) monitor = gdk_display_get_monitor(display, 0);
    if (!monitor) return {};
    GdkRectangle area;
    gdk_monitor_get_geometry(monitor, &area);
    // The geometry is in the desktop's scaled units; the game counts device pixels.
    const int scale = gdk_monitor_get_scale_factor(monitor);
    if (area.width <= 0 || area.height <= 0 || scale <= 0) return {};
    return {{area.width * scale, area.height * scale}};
}
