#pragma once
// Fetches one document from the update server with one HTTP/1.0 GET and hands the
// whole body over in one piece. The client owns no thread: its socket work is
// asynchronous (Boost.Asio), and its owner drives it with Poll from a window timer.
// Every event fires inside Poll, on the polling thread.
//
// One outcome per GET: ContentReceived, StatusError or Failed, once. A Get while an
// exchange runs abandons that exchange first: its socket is closed, and its pending
// operations end without effect. A listener may start the next Get, or release the
// client's owner, from inside an event; the poller holds a reference to the owner
// for the duration of each Poll.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/runtime/Event.h"
#include "base/runtime/RefCounter.h"
#include "base/runtime/String.h"

class HttpClient final : public RefCounter {
public:
    // Network failure codes of Failed.
    enum : int { kReadWrite = 3, kResolve = 6, kConnect = 8, kIdleTimeout = 9, kIoService = 11 };
    // The code of StatusError.
    static constexpr int kBadStatus = -1;

    Event<int> Failed;
    Event<int> StatusError;
    // The body; data stays valid until the next Get or the client's end.
    Event<const char*, std::size_t> ContentReceived;

    HttpClient();

    // The least time a whole document is given, however short the idle limit.
    static constexpr std::int64_t kMinDocumentMs = 60000;
    // How many idle limits a whole document is given.
    static constexpr std::int64_t kDocumentIdleLimits = 6;

    // Starts GET path on host:port; idleLimitMs bounds the time polled without progress,
    // and the whole exchange must end within max(kMinDocumentMs, kDocumentIdleLimits x
    // idleLimitMs) of polled time, so that a server sending a byte now and then cannot
    // hold the client for ever. Both fail with kIdleTimeout. False, with nothing sent, when the host or the path holds a control character:
    // they would end up in the request's lines.
    bool Get(const String& host, std::uint16_t port, const String& path, std::int64_t idleLimitMs);

    // Runs what is ready and applies the time limits, counting elapsedMs as the time
    // since the last call; false when this call fired Failed.
    bool Poll(std::int64_t elapsedMs);

    // Numeric addresses tried in this order instead of resolving the host (tests with
    // two endpoints, which no host name gives in a fixed order).
    void UseAddresses(const std::vector<std::string>& addresses);

    // The request's bytes, as Get sends them.
    static std::string RequestText(const String& host, const String& path);

private:
    struct Exchange;
    struct Io;

    ~HttpClient() override;

    void Resolved(const std::shared_ptr<Exchange>& exchange);
    void ConnectNext(const std::shared_ptr<Exchange>& exchange);
    void Sent(const std::shared_ptr<Exchange>& exchange);
    void ReadMore(const std::shared_ptr<Exchange>& exchange);
    void Received(const std::shared_ptr<Exchange>& exchange, std::size_t length, bool ended);
    bool IsCurrent(const std::shared_ptr<Exchange>& exchange) const { return exchange == current_; }
    void Abandon();
    void Fail(int code);

    std::unique_ptr<Io> io_;
    std::shared_ptr<Exchange> current_;
    std::vector<std::string> fixedAddresses_;
    std::int64_t idleMs_ = 0;
    std::int64_t idleLimitMs_ = 0;
    std::int64_t totalMs_ = 0;
    std::int64_t totalLimitMs_ = 0;
    bool failedInPoll_ = false;
};
