#include "platform/gtk/GtkPageView.h"

#include <memory>
#include <utility>

#include <webkit2/webkit2.h>

namespace {

// Runs in the page. The arguments come in as data: the function's name and a JSON
// array of its arguments. Array arguments answer toArray(), which the pages call on
// what they receive.
constexpr char kCallBody[] =
    "const f = globalThis[n];"
    "if (typeof f !== 'function') throw new TypeError(n + ' is not a function');"
    "const args = JSON.parse(a);"
    "for (const x of args) if (Array.isArray(x))"
    "  Object.defineProperty(x, 'toArray', { value: function () { return this; } });"
    "f.apply(globalThis, args);";

struct PendingCall {
    IPageView::ScriptCallDone done;
};

void OnCallFinished(GObject* source, GAsyncResult* result, gpointer data) {
    std::unique_ptr<PendingCall> call(static_cast<PendingCall*>(data));
    GError* error = nullptr;
    JSCValue* value = webkit_web_view_call_async_javascript_function_finish(WEBKIT_WEB_VIEW(source), result, &error);
    if (value) g_object_unref(value);
    // A cancelled call belongs to a view that is gone; nobody waits for it.
    const bool cancelled = error && g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED);
    if (!cancelled && call->done) call->done(error == nullptr, error ? error->message : "");
    if (error) g_error_free(error);
}

bool IsCancelledLoad(const GError* error) {
    return g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED) ||
           g_error_matches(error, WEBKIT_POLICY_ERROR, WEBKIT_POLICY_ERROR_FRAME_LOAD_INTERRUPTED_BY_POLICY_CHANGE);
}

}  // namespace

GtkPageView::GtkPageView() {
    WebKitUserContentManager* manager = webkit_user_content_manager_new();
    contentManager_ = G_OBJECT(manager);
    widget_ = webkit_web_view_new_with_user_content_manager(manager);
    g_object_ref_sink(widget_);
    cancellable_ = g_cancellable_new();

    WebKitSettings* settings = webkit_web_view_get_settings(WEBKIT_WEB_VIEW(widget_));
    webkit_settings_set_enable_developer_extras(settings, FALSE);
    webkit_settings_set_javascript_can_open_windows_automatically(settings, FALSE);
    // The page is a small document: drawn on the processor it shows sooner, since the
    // web process then sets up no GL compositing (on software GL that costs most of a
    // second), and it looks the same on every driver.
    webkit_settings_set_hardware_acceleration_policy(settings, WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER);
    // Files dropped on the window must not navigate it.
    gtk_drag_dest_unset(widget_);

    // Connected before the handler is registered, as WebKit asks.
    g_signal_connect(manager, "script-message-received::app", G_CALLBACK(&GtkPageView::OnScriptMessageSignal), this);
    webkit_user_content_manager_register_script_message_handler(manager, "app");

    g_signal_connect(widget_, "load-changed", G_CALLBACK(&GtkPageView::OnLoadChanged), this);
    g_signal_connect(widget_, "load-failed", G_CALLBACK(&GtkPageView::OnLoadFailedSignal), this);
    g_signal_connect(widget_, "web-process-terminated", G_CALLBACK(&GtkPageView::OnWebProcessTerminated), this);
    g_signal_connect(widget_, "decide-policy", G_CALLBACK(&GtkPageView::OnDecidePolicy), this);
    g_signal_connect(widget_, "script-dialog", G_CALLBACK(&GtkPageView::OnScriptDialogSignal), this);
    g_signal_connect(widget_, "context-menu", G_CALLBACK(&GtkPageView::OnContextMenu), this);
    g_signal_connect(widget_, "button-press-event", G_CALLBACK(&GtkPageView::OnButtonPress), this);
}

GtkPageView::~GtkPageView() {
    g_cancellable_cancel(cancellable_);
    g_object_unref(cancellable_);
    g_signal_handlers_disconnect_by_data(widget_, this);
    g_signal_handlers_disconnect_by_data(contentManager_, this);
    g_object_unref(widget_);
    g_object_unref(contentManager_);
}

void GtkPageView::Navigate(const std::string& uri) {
    loadFailed_ = false;
    webkit_web_view_load_uri(WEBKIT_WEB_VIEW(widget_), uri.c_str());
}

void GtkPageView::CallFunction(const std::string& function, const std::string& jsonArguments,
                               ScriptCallDone done) {
    if (!g_utf8_validate(function.data(), static_cast<gssize>(function.size()), nullptr) ||
        !g_utf8_validate(jsonArguments.data(), static_cast<gssize>(jsonArguments.size()), nullptr)) {
        if (done) done(false, "the call's text is not UTF-8");
        return;
    }
    GVariantBuilder builder;
    g_variant_builder_init(&builder, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&builder, "{sv}", "n", g_variant_new_string(function.c_str()));
    g_variant_builder_add(&builder, "{sv}", "a",
                          g_variant_new_take_string(g_strndup(jsonArguments.data(), jsonArguments.size())));
    auto* call = new PendingCall{std::move(done)};
    webkit_web_view_call_async_javascript_function(WEBKIT_WEB_VIEW(widget_), kCallBody, -1,
                                                   g_variant_builder_end(&builder), nullptr, nullptr, cancellable_,
                                                   &OnCallFinished, call);
}

void GtkPageView::OnLoadChanged(GtkWidget* widget, int event, gpointer data) {
    auto* self = static_cast<GtkPageView*>(data);
    if (event == WEBKIT_LOAD_STARTED) self->loadFailed_ = false;
    if (event != WEBKIT_LOAD_FINISHED || self->loadFailed_ || !self->listener_) return;
    const char* uri = webkit_web_view_get_uri(WEBKIT_WEB_VIEW(widget));
    self->listener_->OnLoadFinished(uri ? uri : "");
}

gboolean GtkPageView::OnLoadFailedSignal(GtkWidget*, int, const char* uri, GError* error, gpointer data) {
    auto* self = static_cast<GtkPageView*>(data);
    if (IsCancelledLoad(error)) return FALSE;
    self->loadFailed_ = true;
    if (self->listener_) self->listener_->OnLoadFailed(uri ? uri : "", error ? error->message : "");
    return FALSE;
}

void GtkPageView::OnWebProcessTerminated(GtkWidget*, int, gpointer data) {
    auto* self = static_cast<GtkPageView*>(data);
    if (self->listener_) self->listener_->OnWebProcessCrashed();
}

gboolean GtkPageView::OnDecidePolicy(GtkWidget*, GObject* decision, int type, gpointer data) {
    auto* self = static_cast<GtkPageView*>(data);
    if (type != WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION && type != WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION)
        return FALSE;
    WebKitNavigationAction* action =
        webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision));
    WebKitURIRequest* request = webkit_navigation_action_get_request(action);
    const char* uri = request ? webkit_uri_request_get_uri(request) : nullptr;
    if (!uri || !self->listener_ || !self->listener_->OnNavigationRequest(uri)) return FALSE;
    webkit_policy_decision_ignore(WEBKIT_POLICY_DECISION(decision));
    return TRUE;
}

void GtkPageView::OnScriptMessageSignal(GObject*, gpointer result, gpointer data) {
    auto* self = static_cast<GtkPageView*>(data);
    JSCValue* value = webkit_javascript_result_get_js_value(static_cast<WebKitJavascriptResult*>(result));
    char* text = value ? jsc_value_to_string(value) : nullptr;
    if (text && self->listener_) self->listener_->OnScriptMessage(text);
    g_free(text);
}

gboolean GtkPageView::OnScriptDialogSignal(GtkWidget*, gpointer data, gpointer selfData) {
    auto* self = static_cast<GtkPageView*>(selfData);
    auto* dialog = static_cast<WebKitScriptDialog*>(data);
    const WebKitScriptDialogType type = webkit_script_dialog_get_dialog_type(dialog);
    if (!self->listener_ || (type != WEBKIT_SCRIPT_DIALOG_ALERT && type != WEBKIT_SCRIPT_DIALOG_CONFIRM)) return FALSE;
    const char* message = webkit_script_dialog_get_message(dialog);
    const ScriptDialogKind kind = type == WEBKIT_SCRIPT_DIALOG_ALERT ? ScriptDialogKind::Alert : ScriptDialogKind::Confirm;
    const bool confirmed = self->listener_->OnScriptDialog(kind, message ? message : "");
    if (type == WEBKIT_SCRIPT_DIALOG_CONFIRM) webkit_script_dialog_confirm_set_confirmed(dialog, confirmed);
    return TRUE;
}

gboolean GtkPageView::OnContextMenu(GtkWidget*, GObject* menuObject, GdkEvent*, gpointer, gpointer) {
    // No browser navigation from the menu: a reload would leave a page that never
    // hears "AppReady" again.
    WebKitContextMenu* menu = WEBKIT_CONTEXT_MENU(menuObject);
    GList* items = g_list_copy(webkit_context_menu_get_items(menu));
    for (GList* node = items; node; node = node->next) {
        auto* item = static_cast<WebKitContextMenuItem*>(node->data);
        switch (webkit_context_menu_item_get_stock_action(item)) {
            case WEBKIT_CONTEXT_MENU_ACTION_GO_BACK:
            case WEBKIT_CONTEXT_MENU_ACTION_GO_FORWARD:
            case WEBKIT_CONTEXT_MENU_ACTION_STOP:
            case WEBKIT_CONTEXT_MENU_ACTION_RELOAD:
            case WEBKIT_CONTEXT_MENU_ACTION_INSPECT_ELEMENT:
                webkit_context_menu_remove(menu, item);
                break;
            default:
                break;
        }
    }
    g_list_free(items);
    return webkit_context_menu_get_n_items(menu) == 0;
}

gboolean GtkPageView::OnButtonPress(GtkWidget* widget, GdkEventButton* event, gpointer data) {
    auto* self = static_cast<GtkPageView*>(data);
    if (event->type != GDK_BUTTON_PRESS || event->button != 1) return FALSE;
    if (!InDragStrip(self->strip_, static_cast<int>(event->x), static_cast<int>(event->y))) return FALSE;
    GtkWidget* top = gtk_widget_get_toplevel(widget);
    if (!GTK_IS_WINDOW(top)) return FALSE;
    gtk_window_begin_move_drag(GTK_WINDOW(top), static_cast<int>(event->button), static_cast<int>(event->x_root),
                               static_cast<int>(event->y_root), event->time);
    return TRUE;
}
