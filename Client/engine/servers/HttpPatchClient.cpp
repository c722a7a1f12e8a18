#include "engine/servers/HttpPatchClient.h"

#include "base/runtime/StrUtil.h"
#include "engine/servers/CurrentVersion.h"
#include "engine/servers/FetchedFiles.h"
#include "engine/servers/ServerFaults.h"

namespace {

constexpr char kServerListFolder[] = "../Personal";
constexpr char16_t kServerListName[] = u"srvlist.xml";

ByteVector BytesOf(const char* data, std::size_t length) {
    ByteVector bytes;
    bytes.Append(data, length);
    return bytes;
}

}  // namespace

void SplitUrl(const String& url, String& host, std::uint16_t& port, String& path) {
    port = 0;
    StringVector pieces;
    StrUtil::Split(url, String("//"), pieces);
    const String rest = pieces.Size() >= 2 ? pieces[1] : String();
    const std::ptrdiff_t slash = rest.Find("/");
    if (slash >= 0) {
        host = rest.Substr(0, static_cast<std::size_t>(slash));
        path = rest.Substr(static_cast<std::size_t>(slash));
    }
    StringVector hostAndPort;
    StrUtil::Split(host, String(":"), hostAndPort);
    if (hostAndPort.Size() < 2) {
        port = 80;
        return;
    }
    host = hostAndPort[0];
    // Read as "%i" reads it (decimal, octal, "0x" hexadecimal), kept to 16 bits.
    port = static_cast<std::uint16_t>(static_cast<unsigned>(StrUtil::ParseInt(hostAndPort[1].CStr())));
}

RefPtr<HttpPatchClient> HttpPatchClient::Create(const ServerAddress& address, const WideString& installedVersion,
                                                const ServerDocuments& documents, IPatchWorkflow& workflow) {
    if (installedVersion.IsEmpty()) return nullptr;
    return RefPtr<HttpPatchClient>(new HttpPatchClient(address, installedVersion, documents, workflow));
}

HttpPatchClient::HttpPatchClient(const ServerAddress& address, const WideString& installedVersion,
                                 const ServerDocuments& documents, IPatchWorkflow& workflow)
    : fetcher_(address), documents_(documents), workflow_(workflow), installed_(installedVersion),
      patches_(new PatchInfos()) {}

bool HttpPatchClient::Request() {
    return fetcher_.First<&HttpPatchClient::OnCurrentVersion, &HttpPatchClient::OnFailed, &HttpPatchClient::OnStatus>(
        this, documents_.currentVersion);
}

bool HttpPatchClient::Poll(std::int64_t elapsedMs) { return fetcher_.Poll(elapsedMs); }

bool HttpPatchClient::OnCurrentVersion(const char* data, std::size_t length) {
    const RefPtr<CurrentVersion> answer = CurrentVersion::Load(AnswerStream(data, length).Get());
    // Any page the server sends reads as a document; without a current version it is
    // not the answer asked for.
    if (!answer || answer->gameVersion.IsEmpty()) {
        ServerError.Fire(ServerFault::kBadDocument);
        return true;
    }
    serverVersion_ = String(answer->gameVersion);
    workflow_.SetServerVersion(serverVersion_);
    const bool hasFuture = !answer->prepatchVersion.IsEmpty();
    const bool upToDate = String(installed_).Equals(serverVersion_);
    quiet_ = upToDate && !workflow_.FutureUpdate();
    if (upToDate) {
        if (!answer->launcherVersion.Equals(workflow_.OwnLauncherVersion())) {
            LauncherUpdateRequired.Fire();
            return true;
        }
        if (!hasFuture || workflow_.PrepatchReady().Equals(String(answer->prepatchVersion))) {
            RequestServerList();
            return true;
        }
    }
    if (!fetcher_.Next<&HttpPatchClient::OnHistory>(this, documents_.patchesHistory)) Fail(false, ServerFault::kBadDocument);
    return true;
}

bool HttpPatchClient::OnHistory(const char* data, std::size_t length) {
    const RefPtr<PatchesTree> tree = PatchesTree::Load(AnswerStream(data, length).Get());
    if (!tree) {
        Fail(false, ServerFault::kBadDocument);
        return true;
    }
    tooOld_ = workflow_.CompareVersions(String(installed_), String(tree->oldVersionNumber)) != 1;
    PastAnnounced stopPast;
    if (!workflow_.FutureUpdate() && !quiet_) {
        stopPast = [this](const WideString& version) {
            return workflow_.CompareVersions(String(version), serverVersion_) > 0;
        };
    }
    WideString latest;
    if (!PatchesTree::FindPath(*tree, installed_, chosen_, latest, stopPast)) {
        Fail(false, ServerFault::kNoChain);
        return true;
    }
    if (chosen_.Empty()) {
        RequestServerList();
    } else if (quiet_) {
        workflow_.OfferPrepatch(String(latest));
        RequestServerList();
    } else {
        next_ = 0;
        RequestNextTorrent();
    }
    return true;
}

void HttpPatchClient::RequestNextTorrent() {
    if (next_ == chosen_.Size()) {
        PatchesReady.Fire(patches_.Get(), tooOld_);
        return;
    }
    // The torrent is saved under its last name component later: a name without one is
    // no usable name.
    const WideString& name = chosen_[next_].torrentFile;
    if (ServerFileName(name).IsEmpty() || !fetcher_.Next<&HttpPatchClient::OnTorrent>(this, String(name)))
        ServerError.Fire(ServerFault::kBadDocument);
}

bool HttpPatchClient::OnTorrent(const char* data, std::size_t length) {
    const UpdateItem& update = chosen_[next_];
    patches_->items.PushBack(RefPtr<PatchInfo>(new PatchInfo(update.patchedTo, 1, update.torrentFile, BytesOf(data, length))));
    ++next_;
    RequestNextTorrent();
    return true;
}

void HttpPatchClient::RequestServerList() {
    quiet_ = false;  // failures from here on are told
    if (!workflow_.ServerListWanted() || workflow_.FutureUpdate()) {
        Finished.Fire();
        return;
    }
    String host, path;
    std::uint16_t port = 0;
    SplitUrl(workflow_.ServerListUrl(), host, port, path);
    if (!fetcher_.NextAt<&HttpPatchClient::OnServerList>(this, host, port, path)) ServerError.Fire(ServerFault::kBadDocument);
}

bool HttpPatchClient::OnServerList(const char* data, std::size_t length) {
    // A list that cannot be saved leaves the old one; the run still ends as planned.
    WriteFetchedFile(WideString(String(kServerListFolder)), WideString(kServerListName), BytesOf(data, length));
    Finished.Fire();
    return true;
}

bool HttpPatchClient::OnFailed(int code) {
    Fail(true, code);
    return true;
}

bool HttpPatchClient::OnStatus(int) {
    Fail(false, ServerFault::kBadStatus);
    return true;
}

void HttpPatchClient::Fail(bool network, int code) {
    if (quiet_) {
        RequestServerList();
    } else if (network) {
        NetworkError.Fire(code);
    } else {
        ServerError.Fire(code);
    }
}
