#include "platform/gtk/GtkToolkit.h"

#include <set>
#include <string>

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include "platform/gtk/GtkDialogWindow.h"
#include "platform/gtk/GtkUserPrompt.h"

namespace {

struct SchemeHolder {
    std::shared_ptr<IUriSchemeHandler> handler;
};

void ReleaseBody(gpointer data) { delete static_cast<std::shared_ptr<const std::string>*>(data); }

// Every request is finished: with the bytes, or with an error.
void OnSchemeRequest(WebKitURISchemeRequest* request, gpointer data) {
    auto* holder = static_cast<SchemeHolder*>(data);
    const char* uri = webkit_uri_scheme_request_get_uri(request);
    UriSchemeResponse response = holder->handler->Handle(uri ? uri : "");
    if (!response.found || !response.body) {
        GError* error = g_error_new_literal(G_IO_ERROR, G_IO_ERROR_NOT_FOUND,
                                            response.error.empty() ? "not found" : response.error.c_str());
        webkit_uri_scheme_request_finish_error(request, error);
        g_error_free(error);
        return;
    }
    // Each request reads its own stream over the shared immutable bytes.
    auto* keep = new std::shared_ptr<const std::string>(response.body);
    GBytes* bytes = g_bytes_new_with_free_func((*keep)->data(), (*keep)->size(), &ReleaseBody, keep);
    GInputStream* stream = g_memory_input_stream_new_from_bytes(bytes);
    WebKitURISchemeResponse* answer =
        webkit_uri_scheme_response_new(stream, static_cast<gint64>(g_bytes_get_size(bytes)));
    if (!response.mimeType.empty()) webkit_uri_scheme_response_set_content_type(answer, response.mimeType.c_str());
    webkit_uri_scheme_request_finish_with_response(request, answer);
    g_object_unref(answer);
    g_object_unref(stream);
    g_bytes_unref(bytes);
}

void FreeHolder(gpointer data) { delete static_cast<SchemeHolder*>(data); }

std::set<std::string>& RegisteredSchemes() {
    static std::set<std::string> schemes;
    return schemes;
}

}  // namespace

MessageBoxResult GtkMessageBox::Show(const std::string& text, const std::string& caption, MessageBoxButtons buttons,
                                     MessageBoxIcon icon) {
    const GtkMessageType type = icon == MessageBoxIcon::Error     ? GTK_MESSAGE_ERROR
                                : icon == MessageBoxIcon::Warning ? GTK_MESSAGE_WARNING
                                : icon == MessageBoxIcon::Question ? GTK_MESSAGE_QUESTION
                                                                   : GTK_MESSAGE_INFO;
    const GtkButtonsType shown = buttons == MessageBoxButtons::Ok         ? GTK_BUTTONS_OK
                                 : buttons == MessageBoxButtons::OkCancel ? GTK_BUTTONS_OK_CANCEL
                                                                          : GTK_BUTTONS_YES_NO;
    GtkWidget* dialog = gtk_message_dialog_new(ActiveToplevel(), GTK_DIALOG_MODAL, type, shown, "%s", text.c_str());
    gtk_window_set_title(GTK_WINDOW(dialog), caption.c_str());
    const int answer = gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
    switch (answer) {
        case GTK_RESPONSE_YES: return MessageBoxResult::Yes;
        case GTK_RESPONSE_NO: return MessageBoxResult::No;
        case GTK_RESPONSE_OK: return MessageBoxResult::Ok;
        default: return buttons == MessageBoxButtons::YesNo ? MessageBoxResult::No : MessageBoxResult::Cancel;
    }
}

GtkToolkit::GtkToolkit() : prompts_(std::make_unique<GtkUserPrompt>()) {}

GtkToolkit::~GtkToolkit() = default;

std::unique_ptr<GtkToolkit> GtkToolkit::Create() {
    gtk_disable_setlocale();
    if (!gtk_init_check(nullptr, nullptr)) return nullptr;
    return std::unique_ptr<GtkToolkit>(new GtkToolkit());
}

IUserPrompt& GtkToolkit::Prompts() { return *prompts_; }

std::unique_ptr<IDialogWindow> GtkToolkit::CreateDialogWindow() { return std::make_unique<GtkDialogWindow>(); }

bool GtkToolkit::RegisterUriScheme(const std::string& scheme, std::shared_ptr<IUriSchemeHandler> handler) {
    // WebKit keeps a scheme's first handler for the life of the process.
    if (!handler || !RegisteredSchemes().insert(scheme).second) return false;
    WebKitWebContext* context = webkit_web_context_get_default();
    webkit_web_context_register_uri_scheme(context, scheme.c_str(), &OnSchemeRequest,
                                           new SchemeHolder{std::move(handler)}, &FreeHolder);
    // Local: web pages cannot reach it; CORS-enabled: the page's scripts can fetch from it.
    WebKitSecurityManager* security = webkit_web_context_get_security_manager(context);
    webkit_security_manager_register_uri_scheme_as_local(security, scheme.c_str());
    webkit_security_manager_register_uri_scheme_as_cors_enabled(security, scheme.c_str());
    return true;
}

bool GtkToolkit::OpenUri(const std::string& uri) {
    GError* error = nullptr;
    const bool opened = gtk_show_uri_on_window(nullptr, uri.c_str(), GDK_CURRENT_TIME, &error);
    if (error) g_error_free(error);
    return opened;
}
