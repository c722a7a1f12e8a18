#include "platform/x11/ForegroundWindow.h"

#include <xcb/xcb.h>

#include <cstdint>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// One connection for the run: the download asks every few seconds. xcb hands errors
// back with the replies, so a window that vanishes between two requests cannot end
// the program the way Xlib's default error handler would.
class XConnection {
public:
    ~XConnection() { Close(); }

    xcb_connection_t* Get() {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display) {
            Close();
            return nullptr;
        }
        if (connection_ && (xcb_connection_has_error(connection_) || display_ != display)) Close();
        if (!connection_) {
            int screen = 0;
            connection_ = xcb_connect(display, &screen);
            display_ = display;
            if (xcb_connection_has_error(connection_)) {
                Close();
                return nullptr;
            }
            xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
            for (int i = 0; i < screen && screens.rem; ++i) xcb_screen_next(&screens);
            root_ = screens.rem ? screens.data->root : 0;
            activeWindow_ = Atom("_NET_ACTIVE_WINDOW");
            windowPid_ = Atom("_NET_WM_PID");
        }
        return root_ && activeWindow_ && windowPid_ ? connection_ : nullptr;
    }

    xcb_window_t Root() const { return root_; }
    xcb_atom_t ActiveWindow() const { return activeWindow_; }
    xcb_atom_t WindowPid() const { return windowPid_; }

private:
    void Close() {
        if (connection_) xcb_disconnect(connection_);
        connection_ = nullptr;
        root_ = activeWindow_ = windowPid_ = 0;
    }

    xcb_atom_t Atom(const char* name) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
        const xcb_atom_t atom = reply ? reply->atom : 0;
        std::free(reply);
        return atom;
    }

    xcb_connection_t* connection_ = nullptr;
    std::string display_;
    xcb_window_t root_ = 0;
    xcb_atom_t activeWindow_ = 0;
    xcb_atom_t windowPid_ = 0;
};

// The property's first 32-bit value; nothing when the window has no such property.
std::optional<std::uint32_t> FirstCardinal(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                                           xcb_atom_t type) {
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(connection, xcb_get_property(connection, 0, window, property, type, 0, 1), nullptr);
    std::optional<std::uint32_t> value;
    if (reply && reply->format == 32 && xcb_get_property_value_length(reply) >= 4)
        value = *static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
    std::free(reply);
    return value;
}

}  // namespace

std::optional<pid_t> ForegroundWindowProcess() {
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (wayland && *wayland) return std::nullopt;
    static XConnection x;
    xcb_connection_t* connection = x.Get();
    if (!connection) return std::nullopt;
    const std::optional<std::uint32_t> active = FirstCardinal(connection, x.Root(), x.ActiveWindow(), XCB_ATOM_WINDOW);
    if (!active) return std::nullopt;  // the window manager does not keep the property
    if (*active == 0) return pid_t{0};
    const std::optional<std::uint32_t> pid = FirstCardinal(connection, *active, x.WindowPid(), XCB_ATOM_CARDINAL);
    return pid_t(pid ? static_cast<pid_t>(*pid) : 0);
}
