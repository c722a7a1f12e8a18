// The sample game: what a game does with what the launcher hands it. It publishes its
// start status in the launcher's shared status word, then shows who logged in, in a
// small window with a display and as a line on stdout without one, and ends when the
// window is closed (without a display: on SIGINT, SIGTERM or SIGHUP).
//
// The environment chooses what it does, for the tests:
//   SAMPLE_GAME_MODE         "play" (the default) as above; "status:N" publishes N, then
//                            lingers; "exit:N" ends with N at once; "crash" dies of
//                            SIGSEGV at once; "silent:N" publishes nothing, lingers, then
//                            ends with N
//   SAMPLE_GAME_LINGER_MS    how long "status" and "silent" stay (default 60000)
//   SAMPLE_GAME_STATUS_NAME  the shared-memory object (default "/LauncherGameMapFile")
//   SAMPLE_GAME_RECORD       file that receives the working folder and every argument
//   SAMPLE_GAME_ENV_RECORD   file that receives every environment entry
#include <gtk/gtk.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>

#include "StartRecord.h"

namespace {

std::string Variable(const char* name, const char* fallback = "") {
    const char* value = std::getenv(name);
    return value ? value : fallback;
}

// One write of the whole word into a fresh object: the launcher never sees the object
// sized but still empty.
bool PublishStatus(std::int32_t status) {
    const std::string name = Variable("SAMPLE_GAME_STATUS_NAME", "/LauncherGameMapFile");
    const int fd = shm_open(name.c_str(), O_CREAT | O_TRUNC | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const bool written = pwrite(fd, &status, sizeof status, 0) == static_cast<ssize_t>(sizeof status);
    close(fd);
    return written;
}

int Number(const std::string& mode, std::size_t at) { return std::atoi(mode.c_str() + at); }

void Linger() {
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(Variable("SAMPLE_GAME_LINGER_MS", "60000").c_str())));
}

std::string Greeting() {
    const std::string login = Variable("a_login");
    if (login.empty()) return "Brennic Online runs without a login.";
    return "Brennic Online: " + login + " logged in (password of " + std::to_string(Variable("a_password").size()) +
           " enciphered digits).";
}

constexpr int kWindowWidth = 420;

int ShowWindow(const std::string& greeting) {
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), "Brennic Online");
    gtk_window_set_default_size(GTK_WINDOW(window), kWindowWidth, 120);
    gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_CENTER);
    GtkWidget* label = gtk_label_new(greeting.c_str());
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk_container_add(GTK_CONTAINER(window), label);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    gtk_widget_show_all(window);
    gtk_main();
    return 0;
}

int WaitForSignal() {
    sigset_t ending;
    sigemptyset(&ending);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&ending, signal);
    sigprocmask(SIG_BLOCK, &ending, nullptr);
    int received = 0;
    sigwait(&ending, &received);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    StartRecord::WriteArgv(std::getenv("SAMPLE_GAME_RECORD"), argc, argv);
    StartRecord::WriteEnvironment(std::getenv("SAMPLE_GAME_ENV_RECORD"));
    const std::string mode = Variable("SAMPLE_GAME_MODE", "play");
    if (mode.rfind("exit:", 0) == 0) return Number(mode, 5);
    if (mode == "crash") {
        // A handler installed by a sanitizer would turn the signal into an exit code.
        std::signal(SIGSEGV, SIG_DFL);
        std::raise(SIGSEGV);
        return 1;
    }
    if (mode.rfind("silent:", 0) == 0) {
        Linger();
        return Number(mode, 7);
    }
    if (mode.rfind("status:", 0) == 0) {
        if (!PublishStatus(Number(mode, 7))) return 2;
        Linger();
        return 0;
    }
    if (!PublishStatus(0)) return 2;
    const std::string greeting = Greeting();
    std::printf("%s\n", greeting.c_str());
    std::fflush(stdout);
    return gtk_init_check(&argc, &argv) ? ShowWindow(greeting) : WaitForSignal();
}
