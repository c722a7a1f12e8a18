#pragma once
// A Unix-domain stream socket on the default GLib main context that accepts short
// one-line messages from processes of the same user. Reading never blocks the loop:
// each connection is read as data arrives, a line longer than the limit or a peer of
// another user is dropped, and a peer that stays silent only occupies one of a few
// slots (the oldest is dropped when they run out).
#include <deque>
#include <functional>
#include <memory>
#include <string>

class LocalLineServer {
public:
    using LineHandler = std::function<void(const std::string& line)>;

    static constexpr std::size_t kMaxLine = 64;
    static constexpr std::size_t kMaxPending = 4;

    ~LocalLineServer();
    LocalLineServer(const LocalLineServer&) = delete;
    LocalLineServer& operator=(const LocalLineServer&) = delete;

    // Binds and listens on path. The caller must own the name (hold the lock that
    // guards it): a socket file already there is taken as left over by a crash and
    // replaced. Null on failure.
    static std::unique_ptr<LocalLineServer> Listen(const std::string& path, LineHandler handler);

    const std::string& Path() const { return path_; }
    std::size_t PendingConnections() const { return pending_.size(); }

private:
    struct Connection;
    friend struct LocalLineServerSources;

    LocalLineServer(int fd, std::string path, LineHandler handler);
    void Accept();
    void Drop(Connection* connection);

    int fd_;
    unsigned sourceId_ = 0;
    std::string path_;
    LineHandler handler_;
    std::deque<std::unique_ptr<Connection>> pending_;
};

// Connects to the server at path and sends line followed by "\n", waiting at most
// timeoutMs in total. False when nobody listens or the peer does not take the line.
bool SendLocalLine(const std::string& path, const std::string& line, int timeoutMs);
