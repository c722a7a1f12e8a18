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
    : ServerRequestStep(view, client), tempRoot_(tempRoot) {
    client->TorrentReceived.Connect<&LauncherDownloadTorrentFunctor::OnTorrentReceived>(this);
}

bool LauncherDownloadTorrentFunctor::Run() {
    if (!StartRequest()) return false;
    GetView().OnStartTorrentDownload();
    return true;
}

bool LauncherDownloadTorrentFunctor::OnTorrentReceived(ByteVector* bytes) {
    // The bytes live only for this call: they are saved before the client goes.
    const std::string folder = MakeLauncherTempFolder();
    const bool saved = !folder.empty() && bytes && SaveLauncherTorrent(folder, *bytes);
    if (!saved && !folder.empty()) ::rmdir(folder.c_str());
    EndRequest();
    // A folder or file that cannot be made is told, so the page does not wait on.
    if (saved) GetView().OnFinishTorrentDownload();
    else GetView().OnTorrentError();
    return true;
}

void LauncherDownloadTorrentFunctor::DisconnectAnswers(ILauncherServer& client) {
    client.TorrentReceived.Disconnect(this);
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
