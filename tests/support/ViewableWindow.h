#pragma once
// The first top-level window shown on an X display, of a given width and height (0: any),
// its place on the screen and, when asked, its id. Header-only: its users link X11
// themselves.
#include <X11/Xlib.h>

namespace viewable_window_detail {

inline int (*previousHandler)(Display*, XErrorEvent*) = nullptr;

// A window that XQueryTree listed may be gone when its attributes are asked for (the
// launcher closes one window and opens the next). Xlib's default handler would end the
// whole test process on that BadWindow, before it could stop its display, bus and
// launcher, and those would keep the test's output open until its time-out.
inline int IgnoreVanishedWindow(Display* display, XErrorEvent* error) {
    if (error->error_code == BadWindow) return 0;
    return previousHandler ? previousHandler(display, error) : 0;
}

}  // namespace viewable_window_detail

inline bool FindViewableWindow(Display* display, int width, int& x, int& y, int height = 0, Window* id = nullptr) {
    using namespace viewable_window_detail;
    XSync(display, False);
    previousHandler = XSetErrorHandler(&IgnoreVanishedWindow);
    Window root = DefaultRootWindow(display), parent = 0, *children = nullptr;
    unsigned count = 0;
    bool found = false;
    if (XQueryTree(display, root, &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count && !found; ++i) {
            XWindowAttributes attributes;
            if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable &&
                (width == 0 || attributes.width == width) && (height == 0 || attributes.height == height)) {
                x = attributes.x;
                y = attributes.y;
                if (id) *id = children[i];
                found = true;
            }
        }
        if (children) XFree(children);
    }
    XSync(display, False);
    XSetErrorHandler(previousHandler);
    return found;
}
