#include "workflow/launcherupdate/LauncherDownloadTorrentFunctor.h"

#include <cstdlib>
#include <unistd.h>

#include "base/io/FileStream.h"
#include "base/io/Path.h"
#include "base/runtime/StrUtil.h"
#include "shell/LauncherConfig.h"
#include "shell/LauncherDownloadFolder.h"
#include "shell/resources/StringIds.h"
#include "shell/resources/StringTable.h"

RefPtr<LauncherDownloadTorrentFunctor> LauncherDownloadTorrentFunctor::Create(LauncherDownloadView* view,
                                                                              const AppParams* params) {
    if (!view || !params || params->launcherCfgPath.IsEmpty()) return nullptr;
    RefPtr<HttpLauncherClient> client = HttpLauncherClient::Create(params->server, LoadServerDocuments());
    return Create(view, client.Get());
}

RefPtr<LauncherDownloadTorrentFunctor> LauncherDownloadTorrentFunctor::Create(LauncherDownloadView* view,
                                                                              ILauncherServer* client,
                                                                              const std::string& tempRoot) {
    if (!view || !client) return nullptr;
    return RefPtr<LauncherDownloadTorrentFunctor>(new LauncherDownloadTorrentFunctor(view, client, tempRoot));
}

LauncherDownloadTorrentFunctor::LauncherDownloadTorrentFunctor(LauncherDownloadView* view, ILauncherServer* client,
                                                               const std::string& tempRoot)
    : view_(view), client_(client), tempRoot_(tempRoot) {
    client->TorrentReceived.Connect<&LauncherDownloadTorrentFunctor::OnTorrentReceived>(this);
    client->NetworkError.Connect<&LauncherDownloadTorrentFunctor::OnNetworkError>(this);
    client->ServerError.Connect<&LauncherDownloadTorrentFunctor::OnServerError>(this);
}

LauncherDownloadTorrentFunctor::~LauncherDownloadTorrentFunctor() { EndRequest(); }

bool LauncherDownloadTorrentFunctor::Run() {
    if (!client_ || poll_.IsRunning()) return false;
    RefPtr<ITimer> timer = view_->CreateTimer();
    if (!timer) return false;
    if (!poll_.Start(this, *timer, *client_)) {
        EndRequest();
        return false;
    }
    view_->OnStartTorrentDownload();
    return true;
}

bool LauncherDownloadTorrentFunctor::OnTorrentReceived(ByteVector* bytes) {
    // The bytes live only for this call: they are saved before the client goes.
    const std::string folder = MakeLauncherTempFolder();
    const bool saved = !folder.empty() && bytes && SaveLauncherTorrent(folder, *bytes);
    if (!saved && !folder.empty()) ::rmdir(folder.c_str());
    EndRequest();
    // A folder or file that cannot be made is told, so the page does not wait on.
    if (saved) view_->OnFinishTorrentDownload();
    else view_->OnTorrentError();
    return true;
}

bool LauncherDownloadTorrentFunctor::OnNetworkError(int code) {
    EndRequest();
    view_->OnServerError(code);
    return true;
}

bool LauncherDownloadTorrentFunctor::OnServerError(int code) {
    EndRequest();
    view_->OnLogicError(code);
    return true;
}

std::string LauncherDownloadTorrentFunctor::MakeLauncherTempFolder() const {
    String root = tempRoot_.empty() ? Path::TempPath() : String(tempRoot_.c_str());
    Path::EnsureTrailingSeparator(root, '/');
    std::string pattern = root.Std() + kLauncherDownloadPattern;
    return ::mkdtemp(pattern.data()) ? pattern : std::string();
}

bool LauncherDownloadTorrentFunctor::SaveLauncherTorrent(const std::string& folder, const ByteVector& bytes) {
    if (bytes.Empty()) return false;
    const std::string path = folder + "/" + StrUtil::ToNarrow(LoadResString(StringId::LauncherTorrentName)).Std();
    if (!WriteFileReplacing(String(path.c_str()), bytes.Data(), bytes.Size())) return false;
    torrentPath_ = StrUtil::ToWide(String(path.c_str()));
    return true;
}

void LauncherDownloadTorrentFunctor::EndRequest() {
    poll_.Stop();
    if (!client_) return;
    client_->TorrentReceived.Disconnect(this);
    client_->NetworkError.Disconnect(this);
    client_->ServerError.Disconnect(this);
    client_ = nullptr;
}
