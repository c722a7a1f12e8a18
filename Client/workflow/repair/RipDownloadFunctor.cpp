#include "workflow/repair/RipDownloadFunctor.h"

#include <cerrno>
#include <cstdio>

#include "base/io/FileStream.h"
#include "base/io/Path.h"
#include "base/runtime/StrUtil.h"
#include "engine/checks/RepairThread.h"
#include "engine/gamedata/GameNames.h"
#include "engine/servers/FetchedFiles.h"
#include "workflow/WorkflowValues.h"

namespace {

// Splits at the last '/' or '\': the folder part and the name.
void SplitLast(const String& path, String& folder, String& name) {
    std::size_t cut = 0;
    bool found = false;
    for (std::size_t i = 0; i < path.Length(); ++i) {
        if (Path::IsSeparator(path[i])) {
            cut = i;
            found = true;
        }
    }
    folder = found ? String(path.Substr(0, cut)) : String();
    name = found ? String(path.Substr(cut + 1)) : path;
}

String LastComponent(const String& path) {
    String folder, name;
    SplitLast(path, folder, name);
    return name;
}

// The marker's path in demo state 2: the demo marker with the extension "old".
String OldMarkerPath(const WideString& demoPath) {
    std::string path = StrUtil::ToNarrow(demoPath).Std();
    const std::size_t dot = path.rfind('.');
    const std::size_t slash = path.find_last_of("/\\");
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) path.resize(dot);
    return String((path + ".old").c_str());
}

}  // namespace

bool IsLauncherRepair(const StringVector& damaged, const StringVector& launcherFiles) {
    for (const String& path : damaged) {
        String folder, name;
        SplitLast(path, folder, name);
        if (LastComponent(folder).Std().find("bin") == std::string::npos) continue;
        for (const String& launcherFile : launcherFiles) {
            if (LastComponent(launcherFile) == name) return true;
        }
    }
    return false;
}

DownloadEngineOptions RipDownloadFunctor::RepairOptions(DownloadEngineOptions options) {
    options.alertsFirst = true;
    options.torrentsLog = false;
    options.reportEarlyStates = false;
    options.reportWhilePaused = false;
    options.countPauses = false;
    options.releaseOnComplete = false;
    options.completionTimeoutMs = 0;
    options.speedRule = Workflow::FullVersionDownload() ? DownloadSpeedRule::Game : DownloadSpeedRule::None;
    return options;
}

RefPtr<RipDownloadFunctor> RipDownloadFunctor::Create(RipDownloadView* view, AppParams* params, Rip* rip,
                                                      RipPatchInfo* info, const WideString& subfolder) {
    if (!params) return nullptr;
    WideString folder = params->patchesDir;
    if (!subfolder.IsEmpty()) {
        folder = WideString(Path::Join(StrUtil::ToNarrow(folder), StrUtil::ToNarrow(subfolder)));
        Path::CreateFolders(StrUtil::ToNarrow(folder));  // a failure shows when the session is made
    }
    return Create(view, DownloadEngineOptions::Production(folder), params, rip, info);
}

RefPtr<RipDownloadFunctor> RipDownloadFunctor::Create(RipDownloadView* view, const DownloadEngineOptions& options,
                                                      AppParams* params, Rip* rip, RipPatchInfo* info) {
    if (!view || !params || !rip || rip->entries.Empty() || !info) return nullptr;
    RefPtr<RipDownloadFunctor> functor(new RipDownloadFunctor(view, RepairOptions(options), params, rip, info));
    return functor->engine_ ? functor : nullptr;
}

RipDownloadFunctor::RipDownloadFunctor(RipDownloadView* view, const DownloadEngineOptions& options, AppParams* params,
                                       Rip* rip, RipPatchInfo* info)
    : view_(view), params_(params), rip_(rip), info_(info), folder_(options.folder),
      engine_(DownloadEngine::Create(options, this)) {}

bool RipDownloadFunctor::Run(WideString* torrentName) {
    if (torrent_ || !engine_) return false;
    // The damaged files, as the torrent names them below its top folder.
    StringVector wanted;
    for (const RipEntry& entry : rip_->entries) {
        if (entry.code == 0) continue;
        const String path = ConfinedEntryPath(entry.path);
        if (!path.IsEmpty()) wanted.PushBack(path);
    }
    if (!info_->SaveRipTorrent(folder_) || !info_->SaveLauncherTorrent(folder_)) {
        view_->OnDiskSpaceError();
        return false;
    }
    if (wanted.Empty()) {
        view_->OnError();
        return false;
    }
    RefPtr<ITorrent> torrent = engine_->AddTorrent(ServerFileName(info_->ripTorrentName));
    if (torrent && torrentName) *torrentName = torrent->GetName();
    // The launcher's torrent only lists its files; it stays paused until the session ends.
    RefPtr<ITorrent> launcher = engine_->Session()->AddTorrent(ServerFileName(info_->launcherTorrentName));
    if (!torrent || !launcher) {
        view_->OnError();
        return false;
    }
    StringVector launcherFiles;
    launcher->GetSelectedFiles(launcherFiles);
    launcher = nullptr;
    // The torrent's name in the engine is lower-cased; the marker keeps the server's spelling.
    if (params_->demoState == 2) WriteDemoMarkerOld(ServerFileName(info_->ripTorrentName));

    // Nothing of the torrent matched: there is nothing to download, and no share of it.
    std::int64_t selectedSize = 0;
    if (!engine_->SelectFiles(0, wanted, selectedSize) || selectedSize <= 0) {
        view_->OnError();
        return false;
    }
    // The repair removes this folder once the files are in place: it must be the
    // torrent's own, never the download folder itself or one outside it.
    rootFolder_ = torrent->GetRootFolder();
    const String root = StrUtil::ToNarrow(rootFolder_);
    if (root.IsEmpty() || !Game::IsSafeRelativePath(root) || root.Equals("./")) {
        view_->OnError();
        return false;
    }
    torrent_ = torrent;
    if (IsLauncherRepair(wanted, launcherFiles)) {
        view_->OnLauncherRepair();
        return true;
    }
    if (!engine_->Start(view_->CreateTimer())) return false;
    view_->OnDownloadStart();
    return true;
}

bool RipDownloadFunctor::OnAllFinished() {
    result_ = new RipPatch(rip_.Get(), WideString(Path::Join(StrUtil::ToNarrow(folder_), StrUtil::ToNarrow(rootFolder_))));
    return true;
}

void RipDownloadFunctor::OnComplete() {
    view_->OnDownloadComplete();
    // The demo's full version is in: its marker goes, and the next run is a full one.
    if (params_->demoState != 2) return;
    if (std::remove(StrUtil::ToNarrow(params_->demoPath).CStr()) == 0 || errno == ENOENT) {
        params_->demoState = 0;
        view_->SetDemoState();
    }
}

void RipDownloadFunctor::WriteDemoMarkerOld(const WideString& torrentName) const {
    String name = LastComponent(StrUtil::ToNarrow(torrentName));
    const std::size_t dot = name.Std().rfind('.');
    if (dot != std::string::npos) name.Resize(dot);
    // The end of the run removes the folder this names: one plain name or nothing.
    const WideString plain(name);
    const WideString checked = ServerFileName(plain);
    if (checked.IsEmpty() || !checked.Equals(plain)) return;
    const String marker = OldMarkerPath(params_->demoPath);
    if (!Path::FileExists(marker)) return;
    String text = name;
    text.PushBack('\0');
    WriteFileReplacing(marker, text.CStr(), text.Length());
}
