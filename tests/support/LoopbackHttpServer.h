#pragma once
// An HTTP server on a loopback address for tests: Boost.Asio on a thread of its own,
// port chosen by the system. It plays three parts, one at a time or together:
//
// - a scripted server: answers given byte for byte, per path or per request, in parts
//   with chosen pauses between them, ending in a close, a reset or silence (the
//   connection stays open and nothing more is sent);
// - a file server over a folder: GET and HEAD with HTTP/1.1 keep-alive and single byte
//   ranges (206, 416 past the end, 404 for missing files), as a web seed needs;
// - a minimal tracker at "/announce", answering the compact peer list the test sets.
//
// Every request is recorded byte for byte. The destructor stops the thread and closes
// every connection, so a test never waits on a server that outlives it.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

class LoopbackHttpServer {
public:
    // One scripted answer: its parts in order, each written after its pause, then the
    // ending. The server does not look at what it sends.
    struct Reply {
        enum class Ending { Close, Reset, Silence };
        struct Part {
            std::string bytes;
            std::chrono::milliseconds pauseBefore{0};
        };

        std::vector<Part> parts;
        Ending ending = Ending::Close;

        // A status line, the headers given (each ending in "\r\n"), "Content-Length"
        // of the body unless withLength is false, the empty line and the body, then close.
        static Reply Document(const std::string& body, const std::string& statusLine = "HTTP/1.0 200 OK",
                              const std::string& headers = "", bool withLength = true);
        // Exactly these bytes, then close.
        static Reply Raw(const std::string& bytes);
        // Takes the request and never answers; the connection stays open.
        static Reply Silence();

        // Appends one more part.
        Reply& Then(const std::string& bytes, std::chrono::milliseconds pauseBefore = std::chrono::milliseconds(0));
        Reply& EndWith(Ending how) {
            ending = how;
            return *this;
        }
    };

    // One request as it arrived.
    struct Request {
        std::string raw;     // every byte up to and including the empty line (and a body, when announced)
        std::string method;
        std::string target;  // as sent: path and query
        std::string path;    // the target without its query, percent-decoded
        std::vector<std::pair<std::string, std::string>> headers;

        // The first header of that name (ASCII case ignored); "" when absent.
        std::string Header(const std::string& name) const;
    };

    struct Peer {
        std::string ip4;  // dotted form, "127.0.0.1"
        std::uint16_t port = 0;
    };

    // Listens on address (a loopback address) at a port of the system's choice.
    explicit LoopbackHttpServer(const std::string& address = "127.0.0.1");
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    const std::string& Address() const { return address_; }
    std::uint16_t Port() const { return port_; }
    // "http://ADDRESS:PORT/".
    std::string BaseUrl() const;

    // The answer to every request whose path is path (without query), until replaced.
    void Script(const std::string& path, const Reply& reply);
    // The answer to the next request, whatever its path; queued ahead of the per-path scripts.
    void ScriptNext(const Reply& reply);
    // Serves the files under folder for paths below urlPrefix ("/" or "/seed/"). Paths
    // with a ".." component are not found.
    void ServeFolder(const std::string& folder, const std::string& urlPrefix = "/");
    // Answers 404 to every request except the tracker's: a dead web seed.
    void SetDead(bool dead);
    // The peers "/announce" hands out; empty until set.
    void SetTrackerPeers(const std::vector<Peer>& peers);

    std::vector<Request> Requests() const;
    // The targets of the requests in arrival order.
    std::vector<std::string> RequestedTargets() const;
    std::size_t ConnectionCount() const;
    // File bytes of the folder sent for path (as recorded in Request::path), counted as
    // they are handed to the connection; headers do not count.
    std::uint64_t PayloadBytesServed(const std::string& path) const;
    // Blocks until count requests have arrived or the bound passes; true when they did.
    bool WaitForRequests(std::size_t count, std::chrono::milliseconds bound = std::chrono::seconds(10)) const;

    // The compact tracker answer for peers: "d8:intervali60e5:peers<N>:<6 bytes each>e".
    static std::string TrackerAnswer(const std::vector<Peer>& peers);

private:
    struct Impl;
    class Connection;

    // What the server does for one request; called on the server's thread.
    struct Plan;
    Plan PlanFor(const Request& request);
    Plan FilePlan(const Request& request, bool keepAlive);
    void Record(const Request& request);
    void CountPayload(const std::string& path, std::uint64_t bytes);

    std::string address_;
    std::uint16_t port_ = 0;
    std::unique_ptr<Impl> impl_;

    mutable std::mutex lock_;  // guards everything below
    mutable std::condition_variable requestArrived_;
    std::vector<Reply> nextReplies_;
    std::map<std::string, Reply> scripts_;
    std::string folder_;
    std::string folderPrefix_ = "/";
    bool dead_ = false;
    std::vector<Peer> peers_;
    std::vector<Request> requests_;
    std::size_t connections_ = 0;
    std::map<std::string, std::uint64_t> payloadBytes_;

    std::thread thread_;
};
