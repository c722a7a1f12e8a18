#include "engine/servers/HttpLauncherClient.h"


RefPtr<HttpLauncherClient> HttpLauncherClient::Create(const ServerAddress& address, const ServerDocuments& documents) {
    return RefPtr<HttpLauncherClient>(new HttpLauncherClient(address, documents));
}

bool HttpLauncherClient::Request() {
    return fetcher_.First<&HttpLauncherClient::OnTorrent, &HttpLauncherClient::ReportNetworkError, &HttpLauncherClient::ReportBadStatus>(
        this, documents_.launcherTorrent);
}

bool HttpLauncherClient::OnTorrent(const char* data, std::size_t length) {
    ByteVector bytes;
    bytes.Append(data, length);
    TorrentReceived.Fire(&bytes);
    return true;
}
