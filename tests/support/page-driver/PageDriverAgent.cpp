// Loaded with LD_PRELOAD into the real Launcher.exe by the end-to-end tests, so that a
// test drives the real page as a player would, without the launcher knowing: it serves
// a Unix socket (its path in LAUNCHER_PAGE_DRIVER_SOCKET) on the launcher's own main
// loop, runs the scripts sent there in the page of a shown window, and saves a picture
// of that page. Every other program that inherits the preload (the web processes, the
// game, the applier, the shell) finds it idle.
//
// One exchange: "VERB LENGTH\n" and LENGTH bytes; the answer is "ok LENGTH\n" or
// "error LENGTH\n" and LENGTH bytes.
//   eval      the bytes are a script; the answer is its value as text
//   snapshot  the bytes are the path of a PNG file to write
//   views     the answer lists the address of each shown page, one a line
#include <cairo.h>
#include <fcntl.h>
#include <glib-unix.h>
#include <gtk/gtk.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <webkit2/webkit2.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern char* program_invocation_short_name;

namespace {

constexpr char kSocketVariable[] = "LAUNCHER_PAGE_DRIVER_SOCKET";
constexpr char kProgramName[] = "Launcher.exe";
constexpr std::size_t kMaxRequest = 1 << 20;
constexpr guint kRetryBindMs = 100;

// Plain storage: the launcher's leak check runs after the libraries' destructors.
sockaddr_un address{};
int listener = -1;

struct Client {
    int fd = -1;
    std::string input;
    bool busy = false;  // an answer is on its way
    bool gone = false;  // the test hung up while it was
};

void Drop(Client* client) {
    close(client->fd);
    delete client;
}

void Answer(Client* client, bool ok, const std::string& text) {
    const std::string message = std::string(ok ? "ok " : "error ") + std::to_string(text.size()) + "\n" + text;
    // The test waits for this answer; a short blocking write keeps it whole. A test that
    // has hung up must not end the launcher with SIGPIPE.
    const int flags = fcntl(client->fd, F_GETFL);
    fcntl(client->fd, F_SETFL, flags & ~O_NONBLOCK);
    for (std::size_t sent = 0; !client->gone && sent < message.size();) {
        const ssize_t wrote = send(client->fd, message.data() + sent, message.size() - sent, MSG_NOSIGNAL);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) break;
        sent += static_cast<std::size_t>(wrote);
    }
    fcntl(client->fd, F_SETFL, flags);
    client->busy = false;
    if (client->gone) Drop(client);
}

void CollectViews(GtkWidget* widget, gpointer found) {
    if (WEBKIT_IS_WEB_VIEW(widget)) {
        static_cast<std::vector<WebKitWebView*>*>(found)->push_back(WEBKIT_WEB_VIEW(widget));
    } else if (GTK_IS_CONTAINER(widget)) {
        gtk_container_forall(GTK_CONTAINER(widget), &CollectViews, found);
    }
}

// The pages of the shown windows, the newest window first: a dialog opened over the
// main window is the one the player sees.
std::vector<WebKitWebView*> ShownViews() {
    std::vector<WebKitWebView*> views;
    GList* windows = gtk_window_list_toplevels();
    for (GList* item = windows; item; item = item->next) {
        GtkWidget* window = GTK_WIDGET(item->data);
        if (gtk_widget_get_mapped(window)) CollectViews(window, &views);
    }
    g_list_free(windows);
    return std::vector<WebKitWebView*>(views.rbegin(), views.rend());
}

struct Pending {
    Client* client;
    std::string path;
};

void OnEvaluated(GObject* source, GAsyncResult* result, gpointer data) {
    auto* pending = static_cast<Pending*>(data);
    GError* error = nullptr;
    JSCValue* value = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, &error);
    if (value) {
        gchar* text = jsc_value_to_string(value);
        Answer(pending->client, true, text ? text : "");
        g_free(text);
        g_object_unref(value);
    } else {
        Answer(pending->client, false, error ? error->message : "no value");
    }
    if (error) g_error_free(error);
    delete pending;
}

void OnSnapshot(GObject* source, GAsyncResult* result, gpointer data) {
    auto* pending = static_cast<Pending*>(data);
    GError* error = nullptr;
    cairo_surface_t* surface = webkit_web_view_get_snapshot_finish(WEBKIT_WEB_VIEW(source), result, &error);
    if (!surface) {
        Answer(pending->client, false, error ? error->message : "no snapshot");
    } else {
        const cairo_status_t status = cairo_surface_write_to_png(surface, pending->path.c_str());
        Answer(pending->client, status == CAIRO_STATUS_SUCCESS, cairo_status_to_string(status));
        cairo_surface_destroy(surface);
    }
    if (error) g_error_free(error);
    delete pending;
}

void Run(Client* client, const std::string& verb, const std::string& payload) {
    const std::vector<WebKitWebView*> views = ShownViews();
    if (verb == "views") {
        std::string list;
        for (WebKitWebView* view : views) {
            const gchar* uri = webkit_web_view_get_uri(view);
            list += std::string(uri ? uri : "") + "\n";
        }
        return Answer(client, true, list);
    }
    if (verb != "eval" && verb != "snapshot") return Answer(client, false, "unknown request " + verb);
    if (views.empty()) return Answer(client, false, "no page is shown");
    client->busy = true;
    auto* pending = new Pending{client, payload};
    if (verb == "eval") {
        webkit_web_view_evaluate_javascript(views.front(), payload.data(), static_cast<gssize>(payload.size()), nullptr,
                                            nullptr, nullptr, &OnEvaluated, pending);
    } else {
        webkit_web_view_get_snapshot(views.front(), WEBKIT_SNAPSHOT_REGION_VISIBLE, WEBKIT_SNAPSHOT_OPTIONS_NONE,
                                     nullptr, &OnSnapshot, pending);
    }
}

// Runs the first whole request in the input; false when none is complete yet.
bool TakeRequest(Client* client) {
    const std::size_t end = client->input.find('\n');
    if (end == std::string::npos) return false;
    const std::string header = client->input.substr(0, end);
    const std::size_t space = header.find(' ');
    const std::string verb = header.substr(0, space);
    const std::size_t length = space == std::string::npos ? 0 : std::strtoul(header.c_str() + space + 1, nullptr, 10);
    if (length > kMaxRequest) {
        client->input.clear();
        Answer(client, false, "request too long");
        return false;
    }
    if (client->input.size() < end + 1 + length) return false;
    const std::string payload = client->input.substr(end + 1, length);
    client->input.erase(0, end + 1 + length);
    Run(client, verb, payload);
    return true;
}

gboolean OnClientReadable(gint fd, GIOCondition, gpointer data) {
    auto* client = static_cast<Client*>(data);
    char buffer[64 * 1024];
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) return G_SOURCE_CONTINUE;
    if (got <= 0 || client->input.size() + static_cast<std::size_t>(got) > kMaxRequest + 64) {
        // A script still running answers later: its client stays until then.
        if (client->busy) {
            client->gone = true;
        } else {
            Drop(client);
        }
        return G_SOURCE_REMOVE;
    }
    client->input.append(buffer, static_cast<std::size_t>(got));
    while (!client->busy && TakeRequest(client)) {
    }
    return G_SOURCE_CONTINUE;
}

gboolean OnConnection(gint fd, GIOCondition, gpointer) {
    const int accepted = accept4(fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (accepted >= 0) g_unix_fd_add(accepted, G_IO_IN, &OnClientReadable, new Client{accepted});
    return G_SOURCE_CONTINUE;
}

// A launcher that has just restarted itself may find the one before still listening;
// it takes the address over once that one has gone, or at once from one that died.
bool Listen() {
    const int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool taken = connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(probe);
    if (taken) return false;
    unlink(address.sun_path);
    listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener, 8) != 0) {
        close(listener);
        listener = -1;
        return false;
    }
    g_unix_fd_add(listener, G_IO_IN, &OnConnection, nullptr);
    return true;
}

gboolean RetryListen(gpointer) { return Listen() ? G_SOURCE_REMOVE : G_SOURCE_CONTINUE; }

__attribute__((constructor)) void StartAgent() {
    const char* path = std::getenv(kSocketVariable);
    if (!path || !*path || std::strcmp(program_invocation_short_name, kProgramName) != 0) return;
    if (std::strlen(path) >= sizeof address.sun_path) return;
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path);
    if (!Listen()) g_timeout_add(kRetryBindMs, &RetryListen, nullptr);
}

__attribute__((destructor)) void StopAgent() {
    if (listener < 0) return;
    // The address goes first: a launcher started after this one may take it over as soon
    // as nothing listens there any more.
    unlink(address.sun_path);
    close(listener);
}

}  // namespace
