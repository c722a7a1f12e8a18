#pragma once
// What every conversation with the update server shares: its address, and the one
// HTTP client that fetches the documents one after another. The failure and status
// handlers are connected once, with the first document; each further document swaps
// only the content handler.
#include <cstdint>

#include "base/io/MemoryStream.h"
#include "base/runtime/RefCounter.h"
#include "engine/servers/HttpClient.h"
#include "engine/servers/ServerAddress.h"

class DocumentFetcher {
public:
    explicit DocumentFetcher(const ServerAddress& address) : address_(address), http_(new HttpClient()) {}

    const ServerAddress& Address() const { return address_; }
    HttpClient& Http() const { return *http_; }

    // The conversation's first document: base path + name.
    template <auto OnContent, auto OnFailed, auto OnStatus, class Owner>
    bool First(Owner* owner, const String& name) {
        http_->ContentReceived.template Connect<OnContent>(owner);
        http_->Failed.template Connect<OnFailed>(owner);
        http_->StatusError.template Connect<OnStatus>(owner);
        return Fetch(address_.host, address_.port, address_.basePath + name);
    }

    // A further document of the server: base path + name.
    template <auto OnContent, class Owner>
    bool Next(Owner* owner, const String& name) {
        return NextAt<OnContent>(owner, address_.host, address_.port, address_.basePath + name);
    }

    // A further document elsewhere, with the server's idle limit.
    template <auto OnContent, class Owner>
    bool NextAt(Owner* owner, const String& host, std::uint16_t port, const String& path) {
        http_->ContentReceived.Disconnect(owner);
        http_->ContentReceived.template Connect<OnContent>(owner);
        return Fetch(host, port, path);
    }

    bool Poll(std::int64_t elapsedMs) { return http_->Poll(elapsedMs); }

private:
    bool Fetch(const String& host, std::uint16_t port, const String& path) {
        return http_->Get(host, port, path, address_.timeoutMs);
    }

    ServerAddress address_;
    RefPtr<HttpClient> http_;
};

// A copy of an answer's bytes as a stream, for the document readers.
inline RefPtr<CDataStream> AnswerStream(const char* data, std::size_t length) {
    RefPtr<CMemoryStream> stream(new CMemoryStream());
    stream->Write(data, length);
    return RefPtr<CDataStream>(stream.Get());
}
