#include "engine/servers/HttpLauncherClient.h"

#include "engine/servers/ServerFaults.h"

RefPtr<HttpLauncherClient> HttpLauncherClient::Create(const ServerAddress& address, const ServerDocuments& documents) {
    return RefPtr<HttpLauncherClient>(new HttpLauncherClient(address, documents));
}

bool HttpLauncherClient::Request() {
    return fetcher_.First<&HttpLauncherClient::OnTorrent, &HttpLauncherClient::OnFailed, &HttpLauncherClient::OnStatus>(
        this, documents_.launcherTorrent);
}

bool HttpLauncherClient::OnTorrent(const char* data, std::size_t length) {
    ByteVector bytes;
    bytes.Append(data, length);
    TorrentReceived.Fire(&bytes);
    return true;
}

bool HttpLauncherClient::OnFailed(int code) {
    NetworkError.Fire(code);
    return true;
}

bool HttpLauncherClient::OnStatus(int) {
    ServerError.Fire(ServerFault::kBadStatus);
    return true;
}
