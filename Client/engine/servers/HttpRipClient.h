#pragma once
// Fetches what a repair needs from the update server, one document after another: the
// patch history, the repair torrent it names, "Launcher.torrent" and the version file
// it names; they are handed over together once all have come.
#include "engine/servers/IServerClient.h"
#include "engine/servers/DocumentFetcher.h"
#include "engine/servers/RipPatchInfo.h"

// Its server errors: -1 a bad status, -3 no usable history.
class IRipServer : public IServerClient {
public:
    Event<RipPatchInfo*> RipInfoReady;

protected:
    ~IRipServer() override = default;
};

class HttpRipClient final : public IRipServer {
public:
    static RefPtr<HttpRipClient> Create(const ServerAddress& address, const ServerDocuments& documents);

    bool Request() override;
    bool Poll(std::int64_t elapsedMs) override { return fetcher_.Poll(elapsedMs); }

private:
    HttpRipClient(const ServerAddress& address, const ServerDocuments& documents)
        : fetcher_(address), documents_(documents) {}
    ~HttpRipClient() override = default;

    bool OnHistory(const char* data, std::size_t length);
    bool OnRipTorrent(const char* data, std::size_t length);
    bool OnLauncherTorrent(const char* data, std::size_t length);
    bool OnVersionFile(const char* data, std::size_t length);

    DocumentFetcher fetcher_;
    ServerDocuments documents_;
    RefPtr<RipPatchInfo> rip_;
    WideString versionFileName_;
};
