#pragma once
// Fetches the launcher's own torrent ("Launcher.torrent") from the update server.
#include "engine/servers/IServerClient.h"
#include "base/runtime/Vector.h"
#include "engine/servers/DocumentFetcher.h"

// Its server error: -1 a bad status.
class ILauncherServer : public IServerClient {
public:
    // The torrent's bytes, valid for the event only: a listener copies what it keeps.
    Event<ByteVector*> TorrentReceived;

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

    DocumentFetcher fetcher_;
    ServerDocuments documents_;
};
