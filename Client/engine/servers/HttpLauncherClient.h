#pragma once
// Fetches the launcher's own torrent ("Launcher.torrent") from the update server.
#include <cstdint>

#include "base/runtime/Event.h"
#include "base/runtime/Vector.h"
#include "engine/servers/DocumentFetcher.h"

class ILauncherServer : public RefCounter {
public:
    // The torrent's bytes, valid for the event only: a listener copies what it keeps.
    Event<ByteVector*> TorrentReceived;
    Event<int> NetworkError;  // an HttpClient failure code
    Event<int> ServerError;   // -1 a bad status

    virtual bool Request() = 0;
    virtual bool Poll(std::int64_t elapsedMs) = 0;

protected:
    ~ILauncherServer() override = default;
};

class HttpLauncherClient final : public ILauncherServer {
public:
    static RefPtr<HttpLauncherClient> Create(const ServerAddress& address, const ServerDocuments& documents);

    bool Request() override;
    bool Poll(std::int64_t elapsedMs) override { return fetcher_.Poll(elapsedMs); }

private:
    HttpLauncherClient(const ServerAddress& address, const ServerDocuments& documents)
        : fetcher_(address), documents_(documents) {}
    ~HttpLauncherClient() override = default;

    bool OnTorrent(const char* data, std::size_t length);
    bool OnFailed(int code);
    bool OnStatus(int code);

    DocumentFetcher fetcher_;
    ServerDocuments documents_;
};
