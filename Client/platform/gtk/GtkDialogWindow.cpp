#include "platform/gtk/GtkDialogWindow.h"

#include "platform/gtk/GtkDialogKeys.h"

#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif

namespace {
// Only X11 tells and obeys window positions; elsewhere the compositor places windows.
bool DisplayKnowsPositions() {
#ifdef GDK_WINDOWING_X11
    return GDK_IS_X11_DISPLAY(gdk_display_get_default());
#else
    return false;
#endif
}
}  // namespace

GtkWindow* ActiveToplevel() {
    GList* windows = gtk_window_list_toplevels();
    GtkWindow* active = nullptr;
    for (GList* item = windows; item && !active; item = item->next) {
        if (gtk_window_is_active(GTK_WINDOW(item->data))) active = GTK_WINDOW(item->data);
    }
    g_list_free(windows);
    return active;
}

GtkDialogWindow::GtkDialogWindow() {
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    g_object_ref_sink(window_);
    gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
    gtk_container_add(GTK_CONTAINER(window_), page_.Widget());
    g_signal_connect(window_, "delete-event", G_CALLBACK(&GtkDialogWindow::OnDelete), this);
    // Before the window hands a key to the page: the filter sees every key first.
    g_signal_connect(window_, "key-press-event", G_CALLBACK(&GtkDialogWindow::OnKey), this);
    g_signal_connect(window_, "key-release-event", G_CALLBACK(&GtkDialogWindow::OnKey), this);
    // The web view answers a key at once and hands it back to the window once the page
    // has left it unhandled: only such a key comes through to here.
    g_signal_connect_after(window_, "key-press-event", G_CALLBACK(&GtkDialogWindow::OnKeyLeftOver), this);
    g_signal_connect(window_, "configure-event", G_CALLBACK(&GtkDialogWindow::OnConfigure), this);
    g_signal_connect(window_, "window-state-event", G_CALLBACK(&GtkDialogWindow::OnWindowState), this);
    g_signal_connect(window_, "notify::is-active", G_CALLBACK(&GtkDialogWindow::OnActiveNotify), this);
}

GtkDialogWindow::~GtkDialogWindow() {
    g_signal_handlers_disconnect_by_data(window_, this);
    gtk_widget_destroy(window_);
    g_object_unref(window_);
}

void GtkDialogWindow::SetTitle(const char* utf8Title) { gtk_window_set_title(GTK_WINDOW(window_), utf8Title); }

void GtkDialogWindow::SetClientSize(int width, int height) {
    if (width <= 0 || height <= 0) return;
    gtk_widget_set_size_request(page_.Widget(), width, height);
}

void GtkDialogWindow::SetBorderless(bool borderless) { gtk_window_set_decorated(GTK_WINDOW(window_), !borderless); }

bool GtkDialogWindow::IsBorderless() const { return !gtk_window_get_decorated(GTK_WINDOW(window_)); }

bool GtkDialogWindow::GetPosition(int& x, int& y) const {
    if (!DisplayKnowsPositions()) return false;
    gtk_window_get_position(GTK_WINDOW(window_), &x, &y);
    return true;
}

void GtkDialogWindow::Move(int x, int y) { gtk_window_move(GTK_WINDOW(window_), x, y); }

bool GtkDialogWindow::IsOnSomeMonitor(int x, int y) const {
    if (!DisplayKnowsPositions()) return false;
    GdkDisplay* display = gdk_display_get_default();
    const int count = gdk_display_get_n_monitors(display);
    for (int i = 0; i < count; ++i) {
        GdkRectangle area;
        gdk_monitor_get_geometry(gdk_display_get_monitor(display, i), &area);
        if (x >= area.x && x < area.x + area.width && y >= area.y && y < area.y + area.height) return true;
    }
    return false;
}

void GtkDialogWindow::Iconify() { gtk_window_iconify(GTK_WINDOW(window_)); }

void GtkDialogWindow::Present() {
    gtk_window_deiconify(GTK_WINDOW(window_));
    gtk_window_present(GTK_WINDOW(window_));
}

int GtkDialogWindow::RunModal() {
    gtk_widget_show_all(window_);
    const int code = loop_.Run();
    gtk_widget_hide(window_);
    return code;
}

gboolean GtkDialogWindow::OnDelete(GtkWidget*, GdkEvent*, gpointer data) {
    auto* self = static_cast<GtkDialogWindow*>(data);
    if (self->listener_) self->listener_->OnCloseRequest();
    return TRUE;
}

gboolean GtkDialogWindow::OnKey(GtkWidget*, GdkEventKey* event, gpointer) {
    return FilterDialogKey(DialogKeyPressOf(event)) == KeyVerdict::Swallow;
}

gboolean GtkDialogWindow::OnKeyLeftOver(GtkWidget*, GdkEventKey* event, gpointer data) {
    auto* self = static_cast<GtkDialogWindow*>(data);
    if (event->keyval == GDK_KEY_Escape && self->listener_) self->listener_->OnCancelRequest();
    return FALSE;
}

gboolean GtkDialogWindow::OnConfigure(GtkWidget*, GdkEvent*, gpointer data) {
    auto* self = static_cast<GtkDialogWindow*>(data);
    int x = 0, y = 0;
    if (self->listener_ && self->GetPosition(x, y)) self->listener_->OnMoved(x, y);
    return FALSE;
}

gboolean GtkDialogWindow::OnWindowState(GtkWidget*, GdkEventWindowState* event, gpointer data) {
    auto* self = static_cast<GtkDialogWindow*>(data);
    if (event->changed_mask & GDK_WINDOW_STATE_ICONIFIED) {
        self->iconified_ = (event->new_window_state & GDK_WINDOW_STATE_ICONIFIED) != 0;
        self->ReportActivation();
    }
    return FALSE;
}

void GtkDialogWindow::OnActiveNotify(GObject*, GParamSpec*, gpointer data) {
    static_cast<GtkDialogWindow*>(data)->ReportActivation();
}

void GtkDialogWindow::ReportActivation() {
    if (listener_) listener_->OnActivationChanged(gtk_window_is_active(GTK_WINDOW(window_)), iconified_);
}
