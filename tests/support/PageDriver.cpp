#include "support/PageDriver.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

class Connection {
public:
    explicit Connection(const std::string& path) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (path.size() >= sizeof address.sun_path) return;
        std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
        fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd_ >= 0 && connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            close(fd_);
            fd_ = -1;
        }
    }
    ~Connection() {
        if (fd_ >= 0) close(fd_);
    }
    bool IsOpen() const { return fd_ >= 0; }

    bool SendAll(const std::string& bytes) {
        for (std::size_t sent = 0; sent < bytes.size();) {
            const ssize_t wrote = send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (wrote <= 0) return false;
            sent += static_cast<std::size_t>(wrote);
        }
        return true;
    }

    // Reads until the input holds a whole answer or the deadline passes.
    bool ReadAnswer(Clock::time_point deadline, bool& ok, std::string& text) {
        std::string input;
        for (;;) {
            const std::size_t end = input.find('\n');
            if (end != std::string::npos) {
                const std::string header = input.substr(0, end);
                const std::size_t space = header.find(' ');
                const std::size_t length =
                    space == std::string::npos ? 0 : std::strtoul(header.c_str() + space + 1, nullptr, 10);
                if (input.size() >= end + 1 + length) {
                    ok = header.rfind("ok ", 0) == 0;
                    text = input.substr(end + 1, length);
                    return true;
                }
            }
            pollfd wait{fd_, POLLIN, 0};
            if (poll(&wait, 1, MsLeft(deadline)) != 1) return false;
            char buffer[64 * 1024];
            const ssize_t got = read(fd_, buffer, sizeof buffer);
            if (got <= 0) return false;
            input.append(buffer, static_cast<std::size_t>(got));
        }
    }

private:
    int fd_ = -1;
};

}  // namespace

std::vector<std::string> PageDriver::LauncherEnvironment(const std::string& agentPath, const std::string& socketPath) {
    // Under AddressSanitizer the runtime insists on coming first among the libraries;
    // a preloaded one comes before it.
    const char* asan = std::getenv("ASAN_OPTIONS");
    const std::string asanOptions = std::string(asan && *asan ? std::string(asan) + ":" : "") + "verify_asan_link_order=0";
    return {"LD_PRELOAD=" + agentPath, "LAUNCHER_PAGE_DRIVER_SOCKET=" + socketPath, "ASAN_OPTIONS=" + asanOptions};
}

bool PageDriver::Request(const std::string& verb, const std::string& payload, std::string& answer, int boundMs) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(boundMs);
    // The launcher may be starting, or restarting itself: its socket comes when it does.
    for (;;) {
        Connection connection(socketPath_);
        if (connection.IsOpen()) {
            bool ok = false;
            if (!connection.SendAll(verb + " " + std::to_string(payload.size()) + "\n" + payload)) {
                error_ = "the launcher hung up";
            } else if (!connection.ReadAnswer(deadline, ok, answer)) {
                error_ = "no answer from the launcher within " + std::to_string(boundMs) + " ms";
                return false;
            } else if (ok) {
                error_.clear();
                return true;
            } else {
                error_ = answer;
                return false;
            }
        } else {
            error_ = "no launcher listens on " + socketPath_;
        }
        if (MsLeft(deadline) == 0) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

bool PageDriver::Eval(const std::string& script, std::string& value, int boundMs) {
    return Request("eval", script, value, boundMs);
}

bool PageDriver::WaitUntil(const std::string& condition, int boundMs) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(boundMs);
    std::string value;
    for (;;) {
        // A page that is being replaced answers with an error: that is "not yet".
        const bool answered = Eval("!!(" + condition + ")", value, std::max(MsLeft(deadline), 2000));
        if (answered && value == "true") return true;
        if (MsLeft(deadline) == 0) {
            error_ = "not true within " + std::to_string(boundMs) + " ms: " + condition +
                     (answered ? std::string() : " (" + error_ + ")");
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

namespace {

std::string ElementScript(const std::string& id, const std::string& body) {
    return "(function(){var e=document.getElementById(" + ScriptString(id) + ");" + body + "})()";
}

constexpr char kShown[] = "!!e && e.getClientRects().length > 0 && getComputedStyle(e).visibility !== 'hidden'";

}  // namespace

bool PageDriver::WaitForShown(const std::string& id, int boundMs) {
    return WaitUntil(ElementScript(id, std::string("return ") + kShown + ";"), boundMs);
}

bool PageDriver::WaitForClickable(const std::string& id, int boundMs) {
    return WaitUntil(ElementScript(id, std::string("return ") + kShown + " && !e.disabled;"), boundMs);
}

bool PageDriver::IsShown(const std::string& id) { return WaitForShown(id, 1); }

bool PageDriver::Click(const std::string& id) {
    std::string value;
    // The click comes on the page's next turn, after the answer: a click that ends the
    // program or opens a modal dialog must not take the answer with it.
    if (!Eval(ElementScript(id, "if (!e) return false; setTimeout(function () { e.click(); }, 0); return true;"),
              value))
        return false;
    if (value != "true") error_ = "no element " + id;
    return value == "true";
}

bool PageDriver::Fill(const std::string& id, const std::string& text) {
    std::string value;
    const std::string body = "if (!e) return false; e.focus(); e.value=" + ScriptString(text) +
                             "; e.dispatchEvent(new Event('input',{bubbles:true}));"
                             " e.dispatchEvent(new Event('change',{bubbles:true})); return true;";
    if (!Eval(ElementScript(id, body), value)) return false;
    if (value != "true") error_ = "no element " + id;
    return value == "true";
}

std::string PageDriver::Text(const std::string& id) {
    std::string value;
    return Eval(ElementScript(id, "return e ? e.innerText : '';"), value) ? value : std::string();
}

bool PageDriver::Snapshot(const std::string& path) {
    std::string answer;
    return Request("snapshot", path, answer, 15000);
}

std::vector<std::string> PageDriver::Views() {
    std::string answer;
    std::vector<std::string> views;
    if (!Request("views", "", answer, 5000)) return views;
    for (std::size_t start = 0, end; (end = answer.find('\n', start)) != std::string::npos; start = end + 1)
        views.push_back(answer.substr(start, end - start));
    return views;
}

std::string ScriptString(const std::string& text) {
    std::string literal = "\"";
    for (const char c : text) {
        const auto unit = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            literal += '\\';
            literal += c;
        } else if (unit < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", unit);
            literal += escape;
        } else {
            literal += c;
        }
    }
    return literal + "\"";
}
