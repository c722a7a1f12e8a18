#pragma once
// A page dialog as a fixed-size GtkWindow holding one web view.
#include <gtk/gtk.h>

#include "platform/glib/ModalLoop.h"
#include "platform/gtk/GtkPageView.h"
#include "platform/ui/DialogWindow.h"

// The window that has the focus, as the parent of a modal dialog; null when none has.
GtkWindow* ActiveToplevel();

class GtkDialogWindow final : public IDialogWindow {
public:
    GtkDialogWindow();
    ~GtkDialogWindow() override;
    GtkDialogWindow(const GtkDialogWindow&) = delete;
    GtkDialogWindow& operator=(const GtkDialogWindow&) = delete;

    void SetListener(IDialogWindowListener* listener) override { listener_ = listener; }
    IPageView& Page() override { return page_; }

    void SetTitle(const char* utf8Title) override;
    void SetClientSize(int width, int height) override;
    void SetBorderless(bool borderless) override;
    bool IsBorderless() const override;
    void SetDragStrip(const DragStrip& strip) override { page_.SetDragStrip(strip); }

    bool GetPosition(int& x, int& y) const override;
    void Move(int x, int y) override;
    bool IsOnSomeMonitor(int x, int y) const override;

    void Iconify() override;
    void Present() override;

    int RunModal() override;
    void EndDialog(int code) override { loop_.End(code); }
    bool IsModalRunning() const override { return loop_.IsRunning(); }

    GtkWidget* Window() const { return window_; }

private:
    static gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer self);
    static gboolean OnKey(GtkWidget*, GdkEventKey* event, gpointer self);
    static gboolean OnKeyLeftOver(GtkWidget*, GdkEventKey* event, gpointer self);
    static gboolean OnConfigure(GtkWidget*, GdkEvent*, gpointer self);
    static gboolean OnWindowState(GtkWidget*, GdkEventWindowState* event, gpointer self);
    static void OnActiveNotify(GObject*, GParamSpec*, gpointer self);
    void ReportActivation();

    GtkWidget* window_ = nullptr;
    GtkPageView page_;
    ModalLoop loop_;
    IDialogWindowListener* listener_ = nullptr;
    bool iconified_ = false;
};
