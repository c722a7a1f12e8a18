#include "workflow/patches/PatchesDownloadFunctor.h"

#include <string>

#include "base/io/Path.h"
#include "base/runtime/StrUtil.h"
#include "engine/gamedata/CreateGameVersion.h"
#include "engine/gamedata/GameVersion5.h"
#include "shell/DemoMarker.h"
#include "shell/resources/StringTable.h"
#include "workflow/WorkflowValues.h"

namespace {

constexpr int kApplierNameString = 140;
constexpr int kDemoSuffixString = 205;
const char16_t kVersionFileName[] = u"game.version";

}  // namespace

bool IsDemoWithheldPatch(const String& path) {
    const std::string name = Path::FileName(path).Std();
    const std::string suffix = String(LoadResString(kDemoSuffixString)).Std();
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || name.compare(dot, std::string::npos, ".patch") != 0) return false;
    return dot >= suffix.size() && name.compare(dot - suffix.size(), suffix.size(), suffix) == 0;
}

RefPtr<PatchesDownloadFunctor> PatchesDownloadFunctor::Create(PatchesDownloadView* view, const AppParams* params,
                                                              PatchInfos* patches, EarlierFullVersion earlier) {
    if (!params) return nullptr;
    DownloadEngineOptions options = DownloadEngineOptions::Production(params->patchesDir);
    return Create(view, options, patches, params->demoState, earlier);
}

RefPtr<PatchesDownloadFunctor> PatchesDownloadFunctor::Create(PatchesDownloadView* view,
                                                              const DownloadEngineOptions& options,
                                                              PatchInfos* patches, int demoState,
                                                              EarlierFullVersion earlier) {
    if (!view || !patches || options.folder.IsEmpty()) return nullptr;
    // The session needs its folder; a first download makes it.
    if (!Path::CreateFolders(String(options.folder))) return nullptr;
    RefPtr<PatchesDownloadFunctor> functor(new PatchesDownloadFunctor(view, patches, options, demoState));
    functor->engine_ = DownloadEngine::Create(functor->options_, functor.Get());
    if (!functor->engine_) return nullptr;
    if (earlier == EarlierFullVersion::Remove) RemoveDownloadFolder(options.folder, WideString(kFullVersionFolder));
    return functor;
}

PatchesDownloadFunctor::PatchesDownloadFunctor(PatchesDownloadView* view, PatchInfos* patches,
                                               const DownloadEngineOptions& options, int demoState)
    : view_(view),
      patches_(patches),
      options_(options),
      demoState_(demoState),
      applierName_(StrUtil::ToLowerAscii(LoadResString(kApplierNameString))) {
    options_.speedRule = DownloadSpeedRule::Channel;
}

bool PatchesDownloadFunctor::Run() {
    if (!engine_ || engine_->Started() || engine_->TorrentCount() > 0) return false;
    RefPtr<DiskSpaceChecker> checker = DiskSpaceChecker::Create(options_.folder, options_.freeBytes);
    if (!patches_->Save(options_.folder, *checker)) {
        view_->OnDiskSpaceError();
        return false;
    }
    if (!AddTorrents()) {
        engine_->Release();
        view_->OnTorrentError();
        return false;
    }
    if (!engine_->Start(view_->CreateTimer())) return false;
    view_->OnDownloadStart();
    return true;
}

bool PatchesDownloadFunctor::AddTorrents() {
    if (patches_->items.Empty()) return false;
    for (std::size_t i = 0; i < patches_->items.Size(); ++i) {
        if (!engine_->AddTorrent(patches_->items[i]->torrentFile)) return false;
        if (demoState_ == 1 && !WithholdDemoPatches(i)) return false;
    }
    return true;
}

bool PatchesDownloadFunctor::WithholdDemoPatches(std::size_t index) {
    StringVector files;
    engine_->TorrentAt(index)->GetSelectedFiles(files);
    StringVector kept;
    for (const String& path : files) {
        if (!IsDemoWithheldPatch(path)) kept.PushBack(path);
    }
    std::int64_t selected = 0;
    return engine_->SelectExactFiles(index, kept, selected);
}

bool PatchesDownloadFunctor::OnAllFinished() {
    RefPtr<CumulativePatch> plan(new CumulativePatch);
    plan->items.Resize(engine_->TorrentCount());
    for (std::size_t i = 0; i < engine_->TorrentCount(); ++i) {
        plan->items[i].version = i < patches_->items.Size() ? patches_->items[i]->patchedTo : WideString();
        if (!FillPatchItem(*engine_->TorrentAt(i), plan->items[i], *plan)) {
            view_->OnTorrentError();
            return false;
        }
    }
    result_ = plan;
    return true;
}

bool PatchesDownloadFunctor::FillPatchItem(ITorrent& torrent, MultiPatchItem& item, CumulativePatch& plan) const {
    StringVector files;
    torrent.GetSelectedFiles(files);
    for (const String& path : files) {
        // Torrent paths are UTF-8 and were checked to stay below the folder.
        const String full = Path::Join(String(options_.folder), path);
        if (!Path::FileExists(full)) return false;
        const WideString wideFull(full);
        const WideString name = StrUtil::ToLowerAscii(WideString(Path::FileName(path)));
        if (name == applierName_) {
            plan.applierPath = wideFull;  // the last patch's applier wins
        } else if (name == WideString(kVersionFileName)) {
            // It becomes the game's version file once this patch is applied: only the
            // signed file of the version the patch leads to may enter the plan.
            const WideString named = Game::VersionTextOfFile(Game::GameVersionFormat, full);
            if (named.IsEmpty() || named != item.version) return false;
            item.gameVersionFile = wideFull;
        } else {
            item.patchFiles.PushBack(wideFull);
        }
    }
    return true;
}

bool PatchesDownloadFunctor::CompletionTimeoutApplies() { return !Workflow::FutureUpdate(); }
