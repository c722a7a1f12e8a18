// Measures the launcher's start: from the exec of the real Launcher.exe to the page's
// answer to "AppReady" (the handshake done, so the page is painted and live), several
// rounds in a row, on the sample installation in a temporary game tree. The launcher runs
// on a private Xvfb display, with a session bus of its own as on a desktop, and in a
// private network namespace that has only loopback (root: a network namespace; others:
// a user namespace with one). Its profile folders (XDG cache, data, config) are kept
// from round to round, as a player's are; the first round fills them.
//
// Each round prints when, after the exec, the window was on the screen, the web process
// had started and the handshake was done; the end gives the best and the median.
//
//   StartupBench [rounds] [NAME=VALUE...]   the pairs go into the launcher's environment
#include <fcntl.h>
#include <net/if.h>
#include <sched.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/GameTree.h"
#include "support/PrivateXvfb.h"
#include "support/ViewableWindow.h"
#include "support/versions/SignedVersions.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kDefaultRounds = 7;
constexpr auto kRoundBound = std::chrono::seconds(30);
constexpr auto kPollStep = std::chrono::milliseconds(1);
const char* const kHandshakeLine = "page command 666";

std::string ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The sample installation with the launcher in its bin folder and a version file that
// describes its configuration.
bool MakeInstallation(const GameTree& tree) {
    std::error_code error;
    std::filesystem::copy(LAUNCHER_SAMPLE_INSTALL, tree.Root(),
                          std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing,
                          error);
    if (error) return false;
    std::filesystem::copy_file(LAUNCHER_EXE_PATH, tree.LauncherPath(), std::filesystem::copy_options::overwrite_existing,
                               error);
    std::string config;
    if (error || !VersionWriter::ReadFile(tree / "Profiles/Launcher.cfg", config)) return false;
    VersionWriter::Model model;
    model.version = "5.2.17";
    model.folders.push_back({"/Profiles/", {ListedFile("Launcher.cfg", config)}});
    return VersionWriter::WriteFile(tree / "Profiles/game.version", SignedVersionFile(model));
}

// A session bus of the run's own, as a desktop session has one: without it GLib would
// start one through dbus-launch in every process that asks.
class SessionBus {
public:
    bool Start(const std::string& socketPath) {
        const std::string address = "--address=unix:path=" + socketPath;
        pid_ = fork();
        if (pid_ == 0) {
            execlp("dbus-daemon", "dbus-daemon", "--session", "--nofork", "--nopidfile", address.c_str(), nullptr);
            _exit(127);
        }
        if (pid_ < 0) return false;
        for (auto deadline = Clock::now() + std::chrono::seconds(5); Clock::now() < deadline;) {
            if (std::filesystem::exists(socketPath)) return true;
            std::this_thread::sleep_for(kPollStep);
        }
        return false;
    }
    ~SessionBus() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }

private:
    pid_t pid_ = -1;
};

// In a forked child: a network namespace of its own with loopback up. Only
// async-signal-safe calls.
bool EnterPrivateNetwork(uid_t uid, gid_t gid) {
    if (unshare(CLONE_NEWNET) != 0) {
        if (unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0) return false;
        char map[64];
        const int setgroups = open("/proc/self/setgroups", O_WRONLY | O_CLOEXEC);
        if (setgroups < 0 || write(setgroups, "deny", 4) != 4) return false;
        close(setgroups);
        for (const auto& [file, id] : {std::pair<const char*, unsigned>{"/proc/self/uid_map", uid}, {"/proc/self/gid_map", gid}}) {
            const int length = snprintf(map, sizeof map, "0 %u 1", id);
            const int fd = open(file, O_WRONLY | O_CLOEXEC);
            if (fd < 0 || write(fd, map, static_cast<std::size_t>(length)) != length) return false;
            close(fd);
        }
    }
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    ifreq request {};
    std::strcpy(request.ifr_name, "lo");
    const bool up = ioctl(fd, SIOCGIFFLAGS, &request) == 0 &&
                    (request.ifr_flags |= IFF_UP, ioctl(fd, SIOCSIFFLAGS, &request) == 0);
    close(fd);
    return up;
}

// Starts the launcher in its bin folder; pid, and the moment its exec succeeded (a
// close-on-exec pipe closes then), or -1.
pid_t StartLauncher(const GameTree& tree, const std::string& errPath, Clock::time_point& execAt) {
    const std::string exe = tree.LauncherPath();
    const std::string bin = tree / "bin";
    const uid_t uid = getuid();
    const gid_t gid = getgid();
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) return -1;
    const int errFd = open(errPath.c_str(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0600);
    const pid_t pid = fork();
    if (pid == 0) {
        int failure = 0;
        if (!EnterPrivateNetwork(uid, gid)) failure = 1;
        if (!failure && (chdir(bin.c_str()) != 0 || dup2(errFd, 2) < 0)) failure = 2;
        if (!failure) execl(exe.c_str(), exe.c_str(), nullptr);
        if (!failure) failure = 3;
        const char code = static_cast<char>(failure);
        if (write(pipeFds[1], &code, 1) != 1) _exit(126);
        _exit(127);
    }
    close(pipeFds[1]);
    if (errFd >= 0) close(errFd);
    char failure = 0;
    const ssize_t got = pid > 0 ? read(pipeFds[0], &failure, 1) : -1;
    execAt = Clock::now();
    close(pipeFds[0]);
    if (pid > 0 && got != 0) {
        std::fprintf(stderr, "the launcher did not start (%s)\n",
                     failure == 1 ? "no private network namespace" : failure == 2 ? "no bin folder" : "exec failed");
        waitpid(pid, nullptr, 0);
        return -1;
    }
    return pid;
}

// Some top-level window is on the screen (the private display has no other).
bool WindowShown(Display* display) {
    int x = 0, y = 0;
    return FindViewableWindow(display, 0, x, y);
}

std::vector<pid_t> Children(pid_t pid) {
    std::vector<pid_t> children;
    std::ifstream list("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children");
    for (pid_t child; list >> child;) children.push_back(child);
    return children;
}

bool IsWebProcess(pid_t pid) {
    return ReadAll("/proc/" + std::to_string(pid) + "/comm").rfind("WebKitWebProces", 0) == 0;
}

struct Round {
    double window = -1, webProcess = -1, handshake = -1;
};

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Ends the launcher and the WebKit processes it started, and waits for them.
void EndLauncher(pid_t pid, const std::vector<pid_t>& helpers) {
    kill(pid, SIGTERM);
    for (pid_t helper : helpers) kill(helper, SIGTERM);
    waitpid(pid, nullptr, 0);
    for (auto deadline = Clock::now() + std::chrono::seconds(5); Clock::now() < deadline;) {
        if (std::none_of(helpers.begin(), helpers.end(), [](pid_t helper) { return kill(helper, 0) == 0; })) return;
        std::this_thread::sleep_for(kPollStep);
    }
}

bool RunRound(const GameTree& tree, Display* display, Round& round) {
    const std::string log = tree / "Personal/Logs/Launcher.log";
    std::filesystem::remove(log);
    Clock::time_point start;
    const pid_t pid = StartLauncher(tree, tree / "stderr", start);
    if (pid <= 0) return false;
    std::vector<pid_t> helpers;
    while (Clock::now() - start < kRoundBound && round.handshake < 0) {
        if (round.window < 0 && WindowShown(display)) round.window = Since(start);
        if (round.webProcess < 0) {
            for (pid_t child : Children(pid)) {
                if (std::find(helpers.begin(), helpers.end(), child) == helpers.end()) helpers.push_back(child);
                if (IsWebProcess(child)) round.webProcess = Since(start);
            }
        }
        if (ReadAll(log).find(kHandshakeLine) != std::string::npos) round.handshake = Since(start);
        std::this_thread::sleep_for(kPollStep);
    }
    for (pid_t child : Children(pid)) {
        if (std::find(helpers.begin(), helpers.end(), child) == helpers.end()) helpers.push_back(child);
    }
    EndLauncher(pid, helpers);
    if (round.handshake < 0) {
        std::fprintf(stderr, "no handshake within %lld s\n%s%s", static_cast<long long>(kRoundBound.count()),
                     ReadAll(log).c_str(), ReadAll(tree / "stderr").c_str());
        return false;
    }
    return true;
}

void SetEnvironment(const GameTree& tree, const std::string& display, int argc, char** argv) {
    setenv("DISPLAY", display.c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    setenv("XDG_RUNTIME_DIR", tree.Root().c_str(), 1);
    for (const char* variable : {"XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"})
        setenv(variable, (tree / "xdg").c_str(), 1);
    setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + (tree / "session-bus")).c_str(), 1);
    // The web process's sandbox cannot start as root.
    if (geteuid() == 0) setenv("WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS", "1", 1);
    for (int i = 2; i < argc; ++i) putenv(argv[i]);
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRounds;
    PrivateXvfb xvfb;
    if (!xvfb.Start()) {
        std::fprintf(stderr, "no Xvfb\n");
        return 1;
    }
    GameTree tree;
    if (!MakeInstallation(tree)) {
        std::fprintf(stderr, "could not make the installation in %s\n", tree.Root().c_str());
        return 1;
    }
    SetEnvironment(tree, xvfb.Display(), argc, argv);
    SessionBus bus;
    Display* display = XOpenDisplay(xvfb.Display().c_str());
    if (!bus.Start(tree / "session-bus") || !display) {
        std::fprintf(stderr, "no session bus or no display\n");
        return 1;
    }
    std::vector<double> handshakes;
    for (int i = 0; i < rounds; ++i) {
        Round round;
        if (!RunRound(tree, display, round)) return 1;
        std::printf("round %d: window %.3f s, web process %.3f s, handshake %.3f s\n", i + 1, round.window,
                    round.webProcess, round.handshake);
        std::fflush(stdout);
        handshakes.push_back(round.handshake);
    }
    XCloseDisplay(display);
    std::sort(handshakes.begin(), handshakes.end());
    std::printf("exec to handshake: best %.3f s, median %.3f s over %d rounds (goal: under 1 s)\n", handshakes.front(),
                handshakes[handshakes.size() / 2], rounds);
    return 0;
}
