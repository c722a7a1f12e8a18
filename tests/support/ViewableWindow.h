#pragma once
// The first top-level window shown on an X display, of a given width and height (0: any),
// and its place on the screen. Header-only: its users link X11 themselves.
#include <X11/Xlib.h>

inline bool FindViewableWindow(Display* display, int width, int& x, int& y, int height = 0) {
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
                found = true;
            }
        }
        if (children) XFree(children);
    }
    return found;
}
