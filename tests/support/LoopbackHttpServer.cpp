#include "support/LoopbackHttpServer.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <boost/asio.hpp>
#include <cctype>
#include <charconv>
#include <fstream>

namespace asio = boost::asio;
using asio::ip::tcp;

namespace {

constexpr std::size_t kMaxRequestHeader = 64 * 1024;
constexpr std::size_t kFileChunk = 64 * 1024;

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string PercentDecoded(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

bool HasParentComponent(const std::string& path) {
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        if (path.compare(start, end - start, "..") == 0 && end - start == 2) return true;
        start = end + 1;
    }
    return false;
}

bool ParseUnsigned(const std::string& text, std::uint64_t& out) {
    if (text.empty()) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc() && end == text.data() + text.size();
}

// Parses one request header block ("\r\n" lines, or bare "\n"); false when it is not a request.
bool ParseRequest(const std::string& block, LoopbackHttpServer::Request& request) {
    std::size_t lineStart = 0;
    bool first = true;
    while (lineStart < block.size()) {
        std::size_t lineEnd = block.find('\n', lineStart);
        if (lineEnd == std::string::npos) lineEnd = block.size();
        std::string line = block.substr(lineStart, lineEnd - lineStart);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lineStart = lineEnd + 1;
        if (line.empty()) break;
        if (first) {
            first = false;
            const std::size_t space1 = line.find(' ');
            const std::size_t space2 = line.find(' ', space1 == std::string::npos ? line.size() : space1 + 1);
            if (space1 == std::string::npos) return false;
            request.method = line.substr(0, space1);
            request.target = line.substr(space1 + 1, (space2 == std::string::npos ? line.size() : space2) - space1 - 1);
            request.path = PercentDecoded(request.target.substr(0, request.target.find('?')));
            continue;
        }
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        request.headers.emplace_back(line.substr(0, colon), Trimmed(line.substr(colon + 1)));
    }
    return !first;
}

// Where the header block ends (just past its empty line), or npos.
std::size_t HeaderEnd(const std::string& bytes) {
    const std::size_t crlf = bytes.find("\r\n\r\n");
    const std::size_t lf = bytes.find("\n\n");
    if (crlf == std::string::npos && lf == std::string::npos) return std::string::npos;
    if (lf == std::string::npos || (crlf != std::string::npos && crlf < lf)) return crlf + 4;
    return lf + 2;
}

}  // namespace

// ---- replies

LoopbackHttpServer::Reply LoopbackHttpServer::Reply::Document(const std::string& body, const std::string& statusLine,
                                                             const std::string& headers, bool withLength) {
    std::string bytes = statusLine + "\r\n" + headers;
    if (withLength) bytes += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    return Raw(bytes + "\r\n" + body);
}

LoopbackHttpServer::Reply LoopbackHttpServer::Reply::Raw(const std::string& bytes) {
    Reply reply;
    reply.parts.push_back({bytes, std::chrono::milliseconds(0)});
    return reply;
}

LoopbackHttpServer::Reply LoopbackHttpServer::Reply::Silence() {
    Reply reply;
    reply.ending = Ending::Silence;
    return reply;
}

LoopbackHttpServer::Reply& LoopbackHttpServer::Reply::Then(const std::string& bytes,
                                                           std::chrono::milliseconds pauseBefore) {
    parts.push_back({bytes, pauseBefore});
    return *this;
}

std::string LoopbackHttpServer::Request::Header(const std::string& name) const {
    for (const auto& [key, value] : headers)
        if (EqualsIgnoringCase(key, name)) return value;
    return "";
}

std::string LoopbackHttpServer::TrackerAnswer(const std::vector<Peer>& peers) {
    std::string compact;
    for (const Peer& peer : peers) {
        boost::system::error_code error;
        const auto address = asio::ip::make_address_v4(peer.ip4, error).to_bytes();
        compact.append(reinterpret_cast<const char*>(address.data()), address.size());
        compact += static_cast<char>(peer.port >> 8);
        compact += static_cast<char>(peer.port & 0xFF);
    }
    return "d8:intervali60e5:peers" + std::to_string(compact.size()) + ":" + compact + "e";
}

// ---- what one request gets

struct LoopbackHttpServer::Plan {
    struct Step {
        std::string bytes;
        std::chrono::milliseconds pauseBefore{0};
        // A range of a file, sent after the bytes and counted as payload of payloadPath.
        std::string file;
        std::uint64_t offset = 0;
        std::uint64_t length = 0;
        std::string payloadPath;

        static Step Bytes(const std::string& bytes, std::chrono::milliseconds pauseBefore = {}) {
            Step step;
            step.bytes = bytes;
            step.pauseBefore = pauseBefore;
            return step;
        }
    };
    std::vector<Step> steps;
    Reply::Ending ending = Reply::Ending::Close;
    bool keepAlive = false;  // after the steps, the connection reads its next request
};

namespace {

bool WantsKeepAlive(const LoopbackHttpServer::Request& request, const std::string& version) {
    const std::string connection = request.Header("Connection");
    if (EqualsIgnoringCase(connection, "close")) return false;
    if (version == "HTTP/1.1") return true;
    return EqualsIgnoringCase(connection, "keep-alive");
}

std::string VersionOf(const LoopbackHttpServer::Request& request) {
    const std::size_t lineEnd = request.raw.find_first_of("\r\n");
    const std::string line = request.raw.substr(0, lineEnd);
    const std::size_t space = line.rfind(' ');
    return space == std::string::npos ? "" : line.substr(space + 1);
}

std::string ConnectionHeader(bool keepAlive) { return keepAlive ? "" : "Connection: close\r\n"; }

}  // namespace

LoopbackHttpServer::Plan LoopbackHttpServer::PlanFor(const Request& request) {
    const bool keepAlive = WantsKeepAlive(request, VersionOf(request));
    auto scripted = [](const Reply& reply) {
        Plan plan;
        for (const Reply::Part& part : reply.parts) plan.steps.push_back(Plan::Step::Bytes(part.bytes, part.pauseBefore));
        plan.ending = reply.ending;
        return plan;
    };
    auto status = [keepAlive](const std::string& line) {
        Plan plan;
        plan.steps.push_back(Plan::Step::Bytes("HTTP/1.1 " + line + "\r\nContent-Length: 0\r\n" + ConnectionHeader(keepAlive) + "\r\n"));
        plan.keepAlive = keepAlive;
        return plan;
    };

    std::lock_guard<std::mutex> guard(lock_);
    const bool tracker = request.path == "/announce";
    if (dead_ && !tracker) return status("404 Not Found");
    if (!nextReplies_.empty()) {
        const Reply reply = nextReplies_.front();
        nextReplies_.erase(nextReplies_.begin());
        return scripted(reply);
    }
    if (auto script = scripts_.find(request.path); script != scripts_.end()) return scripted(script->second);
    if (tracker) return scripted(Reply::Document(TrackerAnswer(peers_), "HTTP/1.0 200 OK", "Content-Type: text/plain\r\n"));
    if (!folder_.empty() && request.path.rfind(folderPrefix_, 0) == 0) return FilePlan(request, keepAlive);
    return status("404 Not Found");
}

LoopbackHttpServer::Plan LoopbackHttpServer::FilePlan(const Request& request, bool keepAlive) {
    Plan plan;
    plan.keepAlive = keepAlive;
    auto answer = [&](const std::string& statusAndHeaders) {
        plan.steps.push_back(Plan::Step::Bytes("HTTP/1.1 " + statusAndHeaders + ConnectionHeader(keepAlive) + "\r\n"));
        return plan;
    };
    if (request.method != "GET" && request.method != "HEAD") return answer("405 Method Not Allowed\r\nContent-Length: 0\r\n");
    const std::string relative = request.path.substr(folderPrefix_.size());
    const std::string full = folder_ + "/" + relative;
    struct stat info {};
    if (relative.empty() || HasParentComponent(relative) || ::stat(full.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return answer("404 Not Found\r\nContent-Length: 0\r\n");
    const std::uint64_t size = static_cast<std::uint64_t>(info.st_size);

    // One range of "bytes=FIRST-LAST", "bytes=FIRST-" or "bytes=-SUFFIX"; lists and
    // unreadable ranges are ignored, which the protocol allows: the whole file follows.
    std::uint64_t first = 0, last = size == 0 ? 0 : size - 1;
    bool ranged = false;
    const std::string range = request.Header("Range");
    if (range.rfind("bytes=", 0) == 0 && range.find(',') == std::string::npos) {
        const std::string spec = range.substr(6);
        const std::size_t dash = spec.find('-');
        std::uint64_t a = 0, b = 0;
        if (dash != std::string::npos) {
            const std::string from = spec.substr(0, dash), to = spec.substr(dash + 1);
            if (from.empty() && ParseUnsigned(to, b)) {
                if (b == 0 || size == 0) return answer("416 Range Not Satisfiable\r\nContent-Range: bytes */" +
                                                       std::to_string(size) + "\r\nContent-Length: 0\r\n");
                first = b >= size ? 0 : size - b;
                ranged = true;
            } else if (ParseUnsigned(from, a) && (to.empty() || (ParseUnsigned(to, b) && b >= a))) {
                if (a >= size) return answer("416 Range Not Satisfiable\r\nContent-Range: bytes */" +
                                             std::to_string(size) + "\r\nContent-Length: 0\r\n");
                first = a;
                if (!to.empty()) last = std::min(b, size - 1);
                ranged = true;
            }
        }
    }
    const std::uint64_t length = size == 0 ? 0 : last - first + 1;
    std::string head = ranged ? "206 Partial Content\r\nContent-Range: bytes " + std::to_string(first) + "-" +
                                    std::to_string(last) + "/" + std::to_string(size) + "\r\n"
                              : "200 OK\r\n";
    head += "Accept-Ranges: bytes\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
            std::to_string(length) + "\r\n";
    answer(head);
    if (request.method == "GET" && length > 0) {
        Plan::Step body;
        body.file = full;
        body.offset = first;
        body.length = length;
        body.payloadPath = request.path;
        plan.steps.push_back(body);
    }
    return plan;
}

void LoopbackHttpServer::Record(const Request& request) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        requests_.push_back(request);
    }
    requestArrived_.notify_all();
}

void LoopbackHttpServer::CountPayload(const std::string& path, std::uint64_t bytes) {
    std::lock_guard<std::mutex> guard(lock_);
    payloadBytes_[path] += bytes;
}

// ---- the server's thread

struct LoopbackHttpServer::Impl {
    asio::io_context io;
    tcp::acceptor acceptor{io};
};

class LoopbackHttpServer::Connection : public std::enable_shared_from_this<Connection> {
public:
    Connection(LoopbackHttpServer& server, tcp::socket socket)
        : server_(server), socket_(std::move(socket)), timer_(socket_.get_executor()) {
        boost::system::error_code ignored;
        socket_.set_option(tcp::no_delay(true), ignored);  // each part leaves as its own segment
    }

    void Start() { ReadMore(); }

private:
    void ReadMore() {
        auto self = shared_from_this();
        socket_.async_read_some(asio::buffer(chunk_), [this, self](boost::system::error_code error, std::size_t n) {
            if (error) return Close();
            pending_.append(chunk_.data(), n);
            TakeRequest();
        });
    }

    // Handles the first complete request of the pending bytes, or reads on.
    void TakeRequest() {
        const std::size_t end = HeaderEnd(pending_);
        if (end == std::string::npos) {
            if (pending_.size() > kMaxRequestHeader) return Close();
            return ReadMore();
        }
        Request request;
        if (!ParseRequest(pending_.substr(0, end), request)) return Close();
        std::uint64_t bodyLength = 0;
        ParseUnsigned(request.Header("Content-Length"), bodyLength);
        if (pending_.size() - end < bodyLength) {
            if (bodyLength > kMaxRequestHeader) return Close();
            return ReadMore();
        }
        request.raw = pending_.substr(0, end + bodyLength);
        pending_.erase(0, end + bodyLength);
        server_.Record(request);
        plan_ = server_.PlanFor(request);
        RunStep(0);
    }

    void RunStep(std::size_t index) {
        if (index == plan_.steps.size()) return Finish();
        const Plan::Step& step = plan_.steps[index];
        if (step.pauseBefore.count() > 0) {
            auto self = shared_from_this();
            timer_.expires_after(step.pauseBefore);
            timer_.async_wait([this, self, index](boost::system::error_code error) {
                if (!error) WriteBytes(index);
            });
            return;
        }
        WriteBytes(index);
    }

    void WriteBytes(std::size_t index) {
        const Plan::Step& step = plan_.steps[index];
        if (step.bytes.empty()) return StartFile(index);
        auto self = shared_from_this();
        asio::async_write(socket_, asio::buffer(step.bytes), [this, self, index](boost::system::error_code error, std::size_t) {
            if (error) return Close();
            StartFile(index);
        });
    }

    void StartFile(std::size_t index) {
        const Plan::Step& step = plan_.steps[index];
        if (step.file.empty()) return RunStep(index + 1);
        file_.close();
        file_.clear();
        file_.open(step.file, std::ios::binary);
        file_.seekg(static_cast<std::streamoff>(step.offset));
        left_ = step.length;
        WriteFileChunk(index);
    }

    void WriteFileChunk(std::size_t index) {
        if (left_ == 0) return RunStep(index + 1);
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left_, fileChunk_.size()));
        if (!file_.read(fileChunk_.data(), static_cast<std::streamsize>(n))) return Close();  // the file shrank
        // Counted before it leaves, so a client that has the bytes finds them counted.
        server_.CountPayload(plan_.steps[index].payloadPath, n);
        auto self = shared_from_this();
        asio::async_write(socket_, asio::buffer(fileChunk_.data(), n), [this, self, index, n](boost::system::error_code error, std::size_t) {
            if (error) return Close();
            left_ -= n;
            WriteFileChunk(index);
        });
    }

    void Finish() {
        if (plan_.keepAlive) return TakeRequest();
        boost::system::error_code ignored;
        switch (plan_.ending) {
        case Reply::Ending::Close:
            socket_.shutdown(tcp::socket::shutdown_send, ignored);
            return Close();
        case Reply::Ending::Reset:
            socket_.set_option(asio::socket_base::linger(true, 0), ignored);
            return Close();
        case Reply::Ending::Silence:
            return Drain();
        }
    }

    // Stays open, saying nothing, until the other side goes or the server stops.
    void Drain() {
        auto self = shared_from_this();
        socket_.async_read_some(asio::buffer(chunk_), [this, self](boost::system::error_code error, std::size_t) {
            if (error) return Close();
            Drain();
        });
    }

    void Close() {
        boost::system::error_code ignored;
        timer_.cancel();
        socket_.close(ignored);
    }

    LoopbackHttpServer& server_;
    tcp::socket socket_;
    asio::steady_timer timer_;
    std::array<char, 16 * 1024> chunk_{};
    std::string pending_;
    Plan plan_;
    std::ifstream file_;
    std::uint64_t left_ = 0;
    std::array<char, kFileChunk> fileChunk_{};
};

LoopbackHttpServer::LoopbackHttpServer(const std::string& address) : address_(address), impl_(std::make_unique<Impl>()) {
    const tcp::endpoint endpoint(asio::ip::make_address(address), 0);
    impl_->acceptor.open(endpoint.protocol());
    impl_->acceptor.set_option(tcp::acceptor::reuse_address(true));
    impl_->acceptor.bind(endpoint);
    impl_->acceptor.listen();
    port_ = impl_->acceptor.local_endpoint().port();

    struct Acceptor {
        LoopbackHttpServer* server;
        void operator()() const {
            server->impl_->acceptor.async_accept([server = server](boost::system::error_code error, tcp::socket socket) {
                if (error) return;
                {
                    std::lock_guard<std::mutex> guard(server->lock_);
                    ++server->connections_;
                }
                std::make_shared<Connection>(*server, std::move(socket))->Start();
                Acceptor{server}();
            });
        }
    };
    Acceptor{this}();
    thread_ = std::thread([this] { impl_->io.run(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    impl_->io.stop();
    thread_.join();
    // The acceptor goes first, then the service, which drops every connection's handlers
    // and with them the connections and their sockets.
    impl_.reset();
}

std::string LoopbackHttpServer::BaseUrl() const { return "http://" + address_ + ":" + std::to_string(port_) + "/"; }

void LoopbackHttpServer::Script(const std::string& path, const Reply& reply) {
    std::lock_guard<std::mutex> guard(lock_);
    scripts_[path] = reply;
}

void LoopbackHttpServer::ScriptNext(const Reply& reply) {
    std::lock_guard<std::mutex> guard(lock_);
    nextReplies_.push_back(reply);
}

void LoopbackHttpServer::ServeFolder(const std::string& folder, const std::string& urlPrefix) {
    std::lock_guard<std::mutex> guard(lock_);
    folder_ = folder;
    folderPrefix_ = urlPrefix.empty() || urlPrefix.back() != '/' ? urlPrefix + "/" : urlPrefix;
}

void LoopbackHttpServer::SetDead(bool dead) {
    std::lock_guard<std::mutex> guard(lock_);
    dead_ = dead;
}

void LoopbackHttpServer::SetTrackerPeers(const std::vector<Peer>& peers) {
    std::lock_guard<std::mutex> guard(lock_);
    peers_ = peers;
}

std::vector<LoopbackHttpServer::Request> LoopbackHttpServer::Requests() const {
    std::lock_guard<std::mutex> guard(lock_);
    return requests_;
}

std::vector<std::string> LoopbackHttpServer::RequestedTargets() const {
    std::lock_guard<std::mutex> guard(lock_);
    std::vector<std::string> targets;
    for (const Request& request : requests_) targets.push_back(request.target);
    return targets;
}

std::size_t LoopbackHttpServer::ConnectionCount() const {
    std::lock_guard<std::mutex> guard(lock_);
    return connections_;
}

std::uint64_t LoopbackHttpServer::PayloadBytesServed(const std::string& path) const {
    std::lock_guard<std::mutex> guard(lock_);
    const auto found = payloadBytes_.find(path);
    return found == payloadBytes_.end() ? 0 : found->second;
}

bool LoopbackHttpServer::WaitForRequests(std::size_t count, std::chrono::milliseconds bound) const {
    std::unique_lock<std::mutex> guard(lock_);
    return requestArrived_.wait_for(guard, bound, [&] { return requests_.size() >= count; });
}
