// The window in front as an EWMH window manager publishes it, on a private Xvfb where
// the test plays the window manager's part by setting the root window's properties.
#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/x11/ForegroundWindow.h"
#include "support/PrivateXvfb.h"
#include "support/RequiredEnvironment.h"

namespace {

class WindowManagerPart {
public:
    explicit WindowManagerPart(const std::string& display) : connection_(xcb_connect(display.c_str(), nullptr)) {
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        active_ = Atom("_NET_ACTIVE_WINDOW");
        pid_ = Atom("_NET_WM_PID");
    }
    ~WindowManagerPart() { xcb_disconnect(connection_); }

    xcb_window_t NewWindow() {
        const xcb_window_t window = xcb_generate_id(connection_);
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window, root_, 0, 0, 10, 10, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        return window;
    }
    void SetPid(xcb_window_t window, std::uint32_t pid) { Set(window, pid_, XCB_ATOM_CARDINAL, pid); }
    void SetActive(xcb_window_t window) { Set(root_, active_, XCB_ATOM_WINDOW, window); }
    void ForgetActive() {
        xcb_delete_property(connection_, root_, active_);
        xcb_aux_sync();
    }

private:
    xcb_atom_t Atom(const char* name) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
        const xcb_atom_t atom = reply->atom;
        std::free(reply);
        return atom;
    }
    void Set(xcb_window_t window, xcb_atom_t property, xcb_atom_t type, std::uint32_t value) {
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, property, type, 32, 1, &value);
        xcb_aux_sync();
    }
    // Every request has reached the server before the code under test asks.
    void xcb_aux_sync() { std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr)); }

    xcb_connection_t* connection_;
    xcb_window_t root_ = 0;
    xcb_atom_t active_ = 0;
    xcb_atom_t pid_ = 0;
};

}  // namespace

TEST(ForegroundWindow, FollowsTheActiveWindowAndItsProcess) {
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("DISPLAY");
    EXPECT_EQ(ForegroundWindowProcess(), std::nullopt);

    PrivateXvfb xvfb;
    if (!xvfb.Start()) SKIP_UNLESS_REQUIRED("no Xvfb");
    setenv("DISPLAY", xvfb.Display().c_str(), 1);
    WindowManagerPart manager(xvfb.Display());
    // No window manager keeps the property yet: nothing can be told.
    EXPECT_EQ(ForegroundWindowProcess(), std::nullopt);

    const xcb_window_t game = manager.NewWindow();
    manager.SetPid(game, 4242);
    manager.SetActive(game);
    EXPECT_EQ(ForegroundWindowProcess(), pid_t{4242});

    const xcb_window_t anonymous = manager.NewWindow();
    manager.SetActive(anonymous);
    EXPECT_EQ(ForegroundWindowProcess(), pid_t{0});
    manager.SetActive(XCB_WINDOW_NONE);
    EXPECT_EQ(ForegroundWindowProcess(), pid_t{0});
    // A window that is gone is answered as one without a process, not as an X error.
    manager.SetActive(0x7FFFFFF);
    EXPECT_EQ(ForegroundWindowProcess(), pid_t{0});

    manager.SetActive(game);
    setenv("WAYLAND_DISPLAY", "wayland-0", 1);
    EXPECT_EQ(ForegroundWindowProcess(), std::nullopt);
    unsetenv("WAYLAND_DISPLAY");
    manager.ForgetActive();
    EXPECT_EQ(ForegroundWindowProcess(), std::nullopt);
    unsetenv("DISPLAY");
}
