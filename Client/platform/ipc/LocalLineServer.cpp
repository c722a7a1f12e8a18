#include "platform/ipc/LocalLineServer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <glib-unix.h>
#include <glib.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

struct LocalLineServer::Connection {
    LocalLineServer* server = nullptr;
    int fd = -1;
    unsigned sourceId = 0;
    std::string buffer;

    ~Connection() {
        if (sourceId != 0) g_source_remove(sourceId);
        if (fd >= 0) close(fd);
    }
};

namespace {

bool MakeAddress(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

bool PeerIsSameUser(int fd) {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0) return false;
    return credentials.uid == getuid();
}

long long MonotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Polls fd for events until the deadline; false on time-out or error.
bool PollUntil(int fd, short events, long long deadline) {
    for (;;) {
        pollfd entry{fd, events, 0};
        const long long left = deadline - MonotonicMs();
        if (left <= 0) return false;
        const int ready = poll(&entry, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR) continue;
        return ready > 0 && (entry.revents & events) != 0;
    }
}

}  // namespace

// The GLib callbacks of the listening socket and of each connection.
struct LocalLineServerSources {
    static gboolean OnListenReady(int, GIOCondition, void* self) {
        static_cast<LocalLineServer*>(self)->Accept();
        return G_SOURCE_CONTINUE;
    }
    static gboolean OnConnectionReady(int fd, GIOCondition, void* connection);
};

LocalLineServer::LocalLineServer(int fd, std::string path, LineHandler handler)
    : fd_(fd), path_(std::move(path)), handler_(std::move(handler)) {
    sourceId_ = g_unix_fd_add(fd_, G_IO_IN, &LocalLineServerSources::OnListenReady, this);
}

LocalLineServer::~LocalLineServer() {
    pending_.clear();
    if (sourceId_ != 0) g_source_remove(sourceId_);
    close(fd_);
    unlink(path_.c_str());
}

std::unique_ptr<LocalLineServer> LocalLineServer::Listen(const std::string& path, LineHandler handler) {
    sockaddr_un address;
    if (!MakeAddress(path, address)) return nullptr;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return nullptr;
    auto bindAddress = [&] { return bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0; };
    bool bound = bindAddress();
    if (!bound && errno == EADDRINUSE && unlink(path.c_str()) == 0) bound = bindAddress();
    if (!bound || listen(fd, 8) != 0) {
        close(fd);
        return nullptr;
    }
    return std::unique_ptr<LocalLineServer>(new LocalLineServer(fd, path, std::move(handler)));
}

void LocalLineServer::Accept() {
    for (;;) {
        const int fd = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) return;
        if (!PeerIsSameUser(fd)) {
            close(fd);
            continue;
        }
        if (pending_.size() >= kMaxPending) pending_.pop_front();
        auto connection = std::make_unique<Connection>();
        connection->server = this;
        connection->fd = fd;
        connection->sourceId =
            g_unix_fd_add(fd, static_cast<GIOCondition>(G_IO_IN | G_IO_HUP | G_IO_ERR),
                          &LocalLineServerSources::OnConnectionReady, connection.get());
        pending_.push_back(std::move(connection));
    }
}

gboolean LocalLineServerSources::OnConnectionReady(int fd, GIOCondition, void* data) {
    auto* connection = static_cast<LocalLineServer::Connection*>(data);
    LocalLineServer* server = connection->server;
    char chunk[LocalLineServer::kMaxLine + 1];
    const ssize_t n = read(fd, chunk, sizeof chunk);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return G_SOURCE_CONTINUE;
    if (n > 0) connection->buffer.append(chunk, static_cast<std::size_t>(n));
    const std::size_t end = connection->buffer.find('\n');
    if (end == std::string::npos && n > 0 && connection->buffer.size() <= LocalLineServer::kMaxLine) return G_SOURCE_CONTINUE;

    // A complete line, an oversized one, the peer's end or an error: this connection is done.
    std::string line;
    const bool complete = end != std::string::npos && end <= LocalLineServer::kMaxLine;
    if (complete) line = connection->buffer.substr(0, end);
    connection->sourceId = 0;  // returning REMOVE destroys the source
    server->Drop(connection);
    if (complete) server->handler_(line);
    return G_SOURCE_REMOVE;
}

void LocalLineServer::Drop(Connection* connection) {
    auto found = std::find_if(pending_.begin(), pending_.end(),
                              [connection](const auto& entry) { return entry.get() == connection; });
    if (found != pending_.end()) pending_.erase(found);
}

bool SendLocalLine(const std::string& path, const std::string& line, int timeoutMs) {
    sockaddr_un address;
    if (!MakeAddress(path, address)) return false;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    const long long deadline = MonotonicMs() + timeoutMs;
    bool connected = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (!connected && (errno == EAGAIN || errno == EINPROGRESS)) {
        int error = 0;
        socklen_t size = sizeof error;
        connected = PollUntil(fd, POLLOUT, deadline) && getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 &&
                    error == 0;
    }
    const std::string message = line + "\n";
    std::size_t sent = 0;
    while (connected && sent < message.size()) {
        const ssize_t n = send(fd, message.data() + sent, message.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            if (!PollUntil(fd, POLLOUT, deadline)) break;
        } else {
            break;
        }
    }
    close(fd);
    return connected && sent == message.size();
}
