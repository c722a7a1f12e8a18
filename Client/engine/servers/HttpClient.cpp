#include "engine/servers/HttpClient.h"

#include <algorithm>
#include <array>
#include <boost/asio.hpp>

#include "engine/servers/HttpAnswer.h"

namespace asio = boost::asio;
using asio::ip::tcp;

namespace {

bool HasControlCharacter(const String& text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto unit = static_cast<unsigned char>(c);
        return unit < 0x20 || unit == 0x7F;
    });
}

}  // namespace

// The I/O service stays armed between exchanges, so a Get after an ended exchange
// needs no restart.
struct HttpClient::Io {
    asio::io_context context;
    asio::executor_work_guard<asio::io_context::executor_type> work{context.get_executor()};
};

// One GET. Its handlers hold it, so a buffer lives as long as an operation on it may run.
struct HttpClient::Exchange {
    explicit Exchange(asio::io_context& context) : resolver(context), socket(context) {}

    tcp::resolver resolver;
    tcp::socket socket;
    std::vector<tcp::endpoint> endpoints;
    std::size_t nextEndpoint = 0;
    std::string request;
    std::array<char, 64 * 1024> chunk{};
    HttpAnswer answer;
};

HttpClient::HttpClient() : io_(std::make_unique<Io>()) {}

HttpClient::~HttpClient() {
    Abandon();
    // The service drops the handlers that did not run, and with them their exchanges.
    io_.reset();
}

std::string HttpClient::RequestText(const String& host, const String& path) {
    return "GET " + path.Std() + " HTTP/1.0\r\nHost: " + host.Std() + "\r\nAccept: */*\r\nConnection: close\r\n\r\n";
}

void HttpClient::UseAddresses(const std::vector<std::string>& addresses) { fixedAddresses_ = addresses; }

bool HttpClient::Get(const String& host, std::uint16_t port, const String& path, std::int64_t idleLimitMs) {
    Abandon();
    if (HasControlCharacter(host) || HasControlCharacter(path)) return false;
    idleLimitMs_ = idleLimitMs;
    idleMs_ = 0;
    totalLimitMs_ = std::max(kMinDocumentMs, kDocumentIdleLimits * std::max<std::int64_t>(idleLimitMs, 0));
    totalMs_ = 0;
    failedInPoll_ = false;
    auto exchange = std::make_shared<Exchange>(io_->context);
    exchange->request = RequestText(host, path);
    current_ = exchange;

    if (!fixedAddresses_.empty()) {
        for (const std::string& address : fixedAddresses_) {
            boost::system::error_code error;
            const asio::ip::address parsed = asio::ip::make_address(address, error);
            if (!error) exchange->endpoints.emplace_back(parsed, port);
        }
        asio::post(io_->context, [this, exchange] {
            if (IsCurrent(exchange)) Resolved(exchange);
        });
    } else if (host.IsEmpty()) {
        // The resolver would take an empty name for this machine.
        asio::post(io_->context, [this, exchange] {
            if (IsCurrent(exchange)) Fail(kResolve);
        });
    } else {
        exchange->resolver.async_resolve(host.Std(), std::to_string(port),
                                         [this, exchange](const boost::system::error_code& error,
                                                          const tcp::resolver::results_type& results) {
                                             if (!IsCurrent(exchange)) return;
                                             if (error) return Fail(kResolve);
                                             for (const auto& entry : results) exchange->endpoints.push_back(entry.endpoint());
                                             Resolved(exchange);
                                         });
    }
    return true;
}

void HttpClient::Resolved(const std::shared_ptr<Exchange>& exchange) {
    if (exchange->endpoints.empty()) return Fail(kResolve);
    ConnectNext(exchange);
}

// Each endpoint once, in resolver order.
void HttpClient::ConnectNext(const std::shared_ptr<Exchange>& exchange) {
    if (exchange->nextEndpoint == exchange->endpoints.size()) return Fail(kConnect);
    boost::system::error_code ignored;
    if (exchange->socket.is_open()) exchange->socket.close(ignored);
    const tcp::endpoint endpoint = exchange->endpoints[exchange->nextEndpoint++];
    exchange->socket.async_connect(endpoint, [this, exchange](const boost::system::error_code& error) {
        if (!IsCurrent(exchange)) return;
        if (error) return ConnectNext(exchange);
        Sent(exchange);
    });
}

void HttpClient::Sent(const std::shared_ptr<Exchange>& exchange) {
    asio::async_write(exchange->socket, asio::buffer(exchange->request),
                      [this, exchange](const boost::system::error_code& error, std::size_t) {
                          if (!IsCurrent(exchange)) return;
                          if (error) return Fail(kReadWrite);
                          ReadMore(exchange);
                      });
}

void HttpClient::ReadMore(const std::shared_ptr<Exchange>& exchange) {
    exchange->socket.async_read_some(asio::buffer(exchange->chunk),
                                     [this, exchange](const boost::system::error_code& error, std::size_t length) {
                                         if (!IsCurrent(exchange)) return;
                                         if (error && error != asio::error::eof) return Fail(kReadWrite);
                                         Received(exchange, length, error == asio::error::eof);
                                     });
}

void HttpClient::Received(const std::shared_ptr<Exchange>& exchange, std::size_t length, bool ended) {
    HttpAnswer::Result result = exchange->answer.Feed(exchange->chunk.data(), length);
    if (ended && result == HttpAnswer::Result::Reading) result = exchange->answer.End();
    switch (result) {
    case HttpAnswer::Result::Reading:
        return ReadMore(exchange);
    case HttpAnswer::Result::BadStatus:
        Abandon();
        StatusError.Fire(kBadStatus);
        return;
    case HttpAnswer::Result::Broken:
        return Fail(kReadWrite);
    case HttpAnswer::Result::Complete: {
        Abandon();
        // The body belongs to the exchange this handler holds, whatever the listener
        // starts meanwhile; nothing here is touched after the event.
        const std::string& body = exchange->answer.Body();
        ContentReceived.Fire(body.data(), body.size());
        return;
    }
    }
}

void HttpClient::Abandon() {
    if (!current_) return;
    boost::system::error_code ignored;
    current_->resolver.cancel();
    current_->socket.close(ignored);
    current_.reset();
}

void HttpClient::Fail(int code) {
    Abandon();
    failedInPoll_ = true;
    Failed.Fire(code);
}

bool HttpClient::Poll(std::int64_t elapsedMs) {
    RefPtr<HttpClient> self(this);  // a listener may let go of our owner
    failedInPoll_ = false;
    std::size_t ran = 0;
    try {
        ran = io_->context.poll();
    } catch (...) {
        Fail(kIoService);
        return false;
    }
    if (!current_) return !failedInPoll_;
    if (ran > 0) {
        idleMs_ = 0;
    } else if (elapsedMs > 0) {
        idleMs_ += elapsedMs;
    }
    if (elapsedMs > 0) totalMs_ += elapsedMs;
    if (idleMs_ > idleLimitMs_ || totalMs_ > totalLimitMs_) {
        Fail(kIdleTimeout);
        return false;
    }
    return !failedInPoll_;
}
