#pragma once
// The top-level window of a page dialog. A dialog runs modally in a nested main loop
// that EndDialog ends; the window itself is only hidden until it is destroyed.
#include "platform/ui/DragStrip.h"

class IPageView;

class IDialogWindowListener {
public:
    virtual ~IDialogWindowListener() = default;

    // The window manager's close button or Alt+F4; the window stays open.
    virtual void OnCloseRequest() = 0;
    // The window's cancel action: Escape that the page left unhandled.
    virtual void OnCancelRequest() = 0;
    virtual void OnMoved(int x, int y) = 0;
    virtual void OnActivationChanged(bool active, bool minimised) = 0;
};

class IDialogWindow {
public:
    virtual ~IDialogWindow() = default;

    virtual void SetListener(IDialogWindowListener* listener) = 0;
    // The view that fills the window's client area; it lives as long as the window.
    virtual IPageView& Page() = 0;

    virtual void SetTitle(const char* utf8Title) = 0;
    // Fixed, non-resizable client size in pixels; ignored unless both are positive.
    virtual void SetClientSize(int width, int height) = 0;
    virtual void SetBorderless(bool borderless) = 0;
    virtual bool IsBorderless() const = 0;
    // Presses inside the strip (client coordinates) move the window.
    virtual void SetDragStrip(const DragStrip& strip) = 0;

    // Window positions are known only where the display has them (X11, not Wayland).
    virtual bool GetPosition(int& x, int& y) const = 0;
    virtual void Move(int x, int y) = 0;
    virtual bool IsOnSomeMonitor(int x, int y) const = 0;

    virtual void Iconify() = 0;
    virtual void Present() = 0;

    // Shows the window and runs the nested loop until EndDialog; returns its code.
    virtual int RunModal() = 0;
    virtual void EndDialog(int code) = 0;
    virtual bool IsModalRunning() const = 0;
};
