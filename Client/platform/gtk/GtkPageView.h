#pragma once
// The page view as a WebKitGTK web view. Page to program: the `app` script message
// handler and the navigation policy; program to page: asynchronous function calls
// whose arguments travel as one GVariant string of JSON.
#include <string>

#include <gtk/gtk.h>

#include "platform/ui/DragStrip.h"
#include "platform/ui/PageView.h"

class GtkPageView final : public IPageView {
public:
    GtkPageView();
    ~GtkPageView() override;
    GtkPageView(const GtkPageView&) = delete;
    GtkPageView& operator=(const GtkPageView&) = delete;

    void SetListener(IPageViewListener* listener) override { listener_ = listener; }
    void Navigate(const std::string& uri) override;
    void CallFunction(const std::string& function, const std::string& jsonArguments, ScriptCallDone done) override;

    GtkWidget* Widget() const { return widget_; }
    void SetDragStrip(const DragStrip& strip) { strip_ = strip; }

private:
    static void OnLoadChanged(GtkWidget*, int event, gpointer self);
    static gboolean OnLoadFailedSignal(GtkWidget*, int, const char* uri, GError* error, gpointer self);
    static void OnWebProcessTerminated(GtkWidget*, int reason, gpointer self);
    static gboolean OnDecidePolicy(GtkWidget*, GObject* decision, int type, gpointer self);
    static void OnScriptMessageSignal(GObject*, gpointer result, gpointer self);
    static gboolean OnScriptDialogSignal(GtkWidget*, gpointer dialog, gpointer self);
    static gboolean OnContextMenu(GtkWidget*, GObject* menu, GdkEvent*, gpointer hit, gpointer self);
    static gboolean OnButtonPress(GtkWidget*, GdkEventButton* event, gpointer self);

    GtkWidget* widget_ = nullptr;
    GObject* contentManager_ = nullptr;
    GCancellable* cancellable_ = nullptr;
    IPageViewListener* listener_ = nullptr;
    DragStrip strip_;
    bool loadFailed_ = false;
};
