#include "support/PrivateDbus.h"

#include <fcntl.h>
#include <gio/gio.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

extern char** environ;

namespace {

// quiet: the child's stdout and stderr go to /dev/null (the daemon's warnings, the
// mock's log of every call).
pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& extraEnvironment, int outFd,
            bool quietOut, bool quietErr) {
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> environment(extraEnvironment);
    for (char** entry = environ; *entry; ++entry) environment.push_back(*entry);
    std::vector<char*> envp;
    for (std::string& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (outFd >= 0) posix_spawn_file_actions_adddup2(&actions, outFd, 3);  // dup2 clears close-on-exec
    if (quietOut) posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    if (quietErr) posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : -1;
}

void Stop(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

// Debian's interpreter carries python3-dbusmock; one earlier on PATH may not.
std::string PythonWithDbusmock() {
    for (const char* python : {"/usr/bin/python3", "python3"}) {
        const pid_t pid = Spawn({python, "-c", "import dbusmock"}, {}, -1, true, true);
        int status = 0;
        if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0) return python;
    }
    return std::string();
}

}  // namespace

bool PrivateDbus::Start() {
    if (folder_.Path().empty()) return false;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    daemon_ = Spawn({"dbus-daemon", "--session", "--nofork", "--nopidfile", "--address=unix:path=" + (folder_ / "bus"),
                     "--print-address=3"},
                    {}, fds[1], true, true);
    close(fds[1]);
    std::string address;
    pollfd wait{fds[0], POLLIN, 0};
    char c;
    while (daemon_ > 0 && poll(&wait, 1, 5000) == 1 && read(fds[0], &c, 1) == 1 && c != '\n') address += c;
    close(fds[0]);
    address_ = address;
    return !address_.empty();
}

bool PrivateDbus::StartMock(const std::string& templatePath, const std::string& parametersJson,
                            const std::string& busName) {
    const std::string python = PythonWithDbusmock();
    if (address_.empty() || python.empty()) return false;
    const pid_t pid = Spawn({python, "-m", "dbusmock", "--session", "--template", templatePath, "--parameters",
                             parametersJson},
                            {"DBUS_SESSION_BUS_ADDRESS=" + address_}, -1, true, false);
    if (pid <= 0) return false;
    mocks_.push_back(pid);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        bool owned = false;
        if (CallForBool("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner",
                        g_variant_new("(s)", busName.c_str()), owned) &&
            owned)
            return true;
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            mocks_.pop_back();
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

bool PrivateDbus::CallForBool(const std::string& busName, const std::string& path, const std::string& interfaceName,
                              const std::string& method, GVariant* parameters, bool& answer) const {
    GDBusConnection* connection = g_dbus_connection_new_for_address_sync(
        address_.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, nullptr);
    if (!connection) {
        g_variant_unref(g_variant_ref_sink(parameters));
        return false;
    }
    GVariant* reply = g_dbus_connection_call_sync(connection, busName.c_str(), path.c_str(), interfaceName.c_str(),
                                                  method.c_str(), parameters, G_VARIANT_TYPE("(b)"),
                                                  G_DBUS_CALL_FLAGS_NONE, 2000, nullptr, nullptr);
    if (reply) {
        gboolean value = FALSE;
        g_variant_get(reply, "(b)", &value);
        answer = value;
        g_variant_unref(reply);
    }
    g_dbus_connection_close_sync(connection, nullptr, nullptr);
    g_object_unref(connection);
    return reply != nullptr;
}

PrivateDbus::~PrivateDbus() {
    for (pid_t pid : mocks_) Stop(pid);
    Stop(daemon_);
}
