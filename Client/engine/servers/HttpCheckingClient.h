#pragma once
// Asks the update server's patch history whether a list of versions follows the chain
// of patches the history chooses: the initial check tells by it whether a patch plan
// left half-applied still leads where the server's patches lead.
#include "engine/servers/IServerClient.h"
#include "engine/servers/DocumentFetcher.h"

// Its server errors: -1 a bad status, -3 no usable history.
class ICheckingServer : public IServerClient {
public:
    Event<> ChainValid;
    Event<> ChainBroken;

protected:
    ~ICheckingServer() override = default;
};

class HttpCheckingClient final : public ICheckingServer {
public:
    // The chain checked is installed followed by planned; null when either is empty.
    static RefPtr<HttpCheckingClient> Create(const ServerAddress& address, const ServerDocuments& documents,
                                             const WideStringVector& installed, const WideStringVector& planned);

    bool Request() override;
    bool Poll(std::int64_t elapsedMs) override { return fetcher_.Poll(elapsedMs); }

private:
    HttpCheckingClient(const ServerAddress& address, const ServerDocuments& documents, const WideStringVector& chain)
        : fetcher_(address), documents_(documents), chain_(chain) {}
    ~HttpCheckingClient() override = default;

    bool OnHistory(const char* data, std::size_t length);

    DocumentFetcher fetcher_;
    ServerDocuments documents_;
    WideStringVector chain_;
};
