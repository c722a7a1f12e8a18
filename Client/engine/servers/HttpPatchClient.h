#pragma once
// The patch request's conversation with the update server: the current version, then,
// when the installed game is behind or a future patch is on offer, the patch history
// and the torrent of every patch of the chosen chain, and where the page asked for it
// the server list, saved as "../Personal/srvlist.xml".
//
// While the run only looks for a future patch (the game is current and none was asked
// for), failures end quietly in the server-list step.
#include "engine/servers/DocumentFetcher.h"
#include "engine/servers/IPatchServer.h"
#include "engine/servers/IPatchWorkflow.h"
#include "engine/servers/PatchesTree.h"

class HttpPatchClient final : public IPatchServer {
public:
    // Null when the installed version text is empty. The workflow must outlive the client.
    static RefPtr<HttpPatchClient> Create(const ServerAddress& address, const WideString& installedVersion,
                                          const ServerDocuments& documents, IPatchWorkflow& workflow);

    bool Request() override;
    bool Poll(std::int64_t elapsedMs) override;

private:
    HttpPatchClient(const ServerAddress& address, const WideString& installedVersion, const ServerDocuments& documents,
                    IPatchWorkflow& workflow);
    ~HttpPatchClient() override = default;

    bool OnCurrentVersion(const char* data, std::size_t length);
    bool OnHistory(const char* data, std::size_t length);
    bool OnTorrent(const char* data, std::size_t length);
    bool OnServerList(const char* data, std::size_t length);
    bool OnFailed(int code);
    bool OnStatus(int code);

    void RequestNextTorrent();
    void RequestServerList();
    // Reports a failure, or in the quiet mode goes on with the server list.
    void Fail(bool network, int code);

    DocumentFetcher fetcher_;
    ServerDocuments documents_;
    IPatchWorkflow& workflow_;
    WideString installed_;
    String serverVersion_;
    RefPtr<PatchInfos> patches_;
    bool tooOld_ = false;
    Vector<UpdateItem> chosen_;
    std::size_t next_ = 0;
    bool quiet_ = false;  // only a future patch is looked for
};

// Host, port and path of an address "scheme://host[:port]/path": port 80 without one;
// host and path empty without a '/' after the host; the path ends at a further "//".
void SplitUrl(const String& url, String& host, std::uint16_t& port, String& path);
