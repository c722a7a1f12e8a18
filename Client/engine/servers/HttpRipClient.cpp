#include "engine/servers/HttpRipClient.h"

#include "engine/servers/FetchedFiles.h"
#include "engine/servers/PatchesTree.h"
#include "engine/servers/ServerFaults.h"

namespace {

void Assign(ByteVector& bytes, const char* data, std::size_t length) {
    bytes.Clear();
    bytes.Append(data, length);
}

}  // namespace

RefPtr<HttpRipClient> HttpRipClient::Create(const ServerAddress& address, const ServerDocuments& documents) {
    return RefPtr<HttpRipClient>(new HttpRipClient(address, documents));
}

bool HttpRipClient::Request() {
    return fetcher_.First<&HttpRipClient::OnHistory, &HttpRipClient::ReportNetworkError, &HttpRipClient::ReportBadStatus>(
        this, documents_.patchesHistory);
}

bool HttpRipClient::OnHistory(const char* data, std::size_t length) {
    const RefPtr<PatchesTree> tree = PatchesTree::Load(AnswerStream(data, length).Get());
    // Both names are saved under their last component later: names without one are
    // as unusable as a missing history.
    if (!tree || ServerFileName(tree->ripTorrentFile).IsEmpty() || ServerFileName(tree->versionFile).IsEmpty()) {
        ServerError.Fire(ServerFault::kBadDocument);
        return true;
    }
    rip_ = new RipPatchInfo();
    rip_->ripTorrentName = tree->ripTorrentFile;
    versionFileName_ = tree->versionFile;
    if (!fetcher_.Next<&HttpRipClient::OnRipTorrent>(this, String(tree->ripTorrentFile)))
        ServerError.Fire(ServerFault::kBadDocument);
    return true;
}

bool HttpRipClient::OnRipTorrent(const char* data, std::size_t length) {
    Assign(rip_->ripTorrentBytes, data, length);
    if (!fetcher_.Next<&HttpRipClient::OnLauncherTorrent>(this, documents_.launcherTorrent))
        ServerError.Fire(ServerFault::kBadDocument);
    return true;
}

bool HttpRipClient::OnLauncherTorrent(const char* data, std::size_t length) {
    rip_->launcherTorrentName = WideString(documents_.launcherTorrent);
    Assign(rip_->launcherTorrentBytes, data, length);
    if (!fetcher_.Next<&HttpRipClient::OnVersionFile>(this, String(versionFileName_)))
        ServerError.Fire(ServerFault::kBadDocument);
    return true;
}

bool HttpRipClient::OnVersionFile(const char* data, std::size_t length) {
    Assign(rip_->versionFileBytes, data, length);
    RipInfoReady.Fire(rip_.Get());
    return true;
}
