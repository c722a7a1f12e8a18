#include "workflow/game/GameState.h"

#include <filesystem>
#include <system_error>

#include "base/runtime/StrUtil.h"
#include "shell/AppParams.h"
#include "shell/DemoMarker.h"
#include "shell/PathText.h"
#include "workflow/PageCommands.h"
#include "workflow/StateIds.h"
#include "workflow/WorkflowValues.h"
#include "workflow/game/FullVersion.h"

GameState::GameState(IGameFunctor* functor, IMainWindow* window, FuturePatchFactories futurePatches,
                     FullVersionFactories fullVersion)
    : functor_(functor),
      window_(window),
      futurePatches_(std::move(futurePatches)),
      fullVersion_(std::move(fullVersion)),
      stagingSubfolder_(WideString(kFullVersionFolder) + WideString(u"/")) {}

GameState::~GameState() {
    fullVersionList_ = nullptr;
    sideStep_ = nullptr;
    functor_ = nullptr;
    SetStep(nullptr);
}

bool GameState::OnCommand(int code, const WideString& argument) {
    // Its own switch: the current step is not offered the commands.
    RefPtr<GameState> self(this);
    using namespace PageCommand;
    switch (code) {
    case PatchesRequestFuture:
        return StartFuturePatchRequest();
    case PatchesDownload:
        return StartFuturePatchDownload();
    case GameRun:
        return RunGame(argument);
    case GameStartHubLink:
        functor_->StartHub(StrUtil::ParseBool(StrUtil::ToNarrow(argument).CStr()));
        return true;
    case GameStartEpayAutoupdate:
        functor_->StartPaymentUpdater();
        return true;
    case FullDownload:
        return StartFullVersionRequest();
    case RipDownload:
        return StartFullVersionDownload();
    case FullDownloaded:
        return InstallFullVersion();
    case NewLauncher:
        // MainState goes on to start the launcher download in this state's place.
        functor_->SetLauncherUpdateFlag();
        return false;
    default:
        return false;
    }
}

bool GameState::RunGame(const WideString& argument) {
    RemoveFullVersionLeftovers();
    WideString login, password;
    const std::ptrdiff_t mark = argument.Find(u"<=>");
    if (mark >= 0) {
        login = argument.Substr(0, static_cast<std::size_t>(mark));
        password = argument.Substr(static_cast<std::size_t>(mark) + 3);
    }
    return functor_->Run(login, password, AuthKey());
}

void GameState::RemoveFullVersionLeftovers() {
    const AppParams* params = GetAppParams();
    // The current step is only ever the full-version request or download.
    if (!params || params->demoState == 1 || GetStep()) return;
    RemoveDownloadFolder(params->patchesDir, WideString(kFullVersionFolder));
}

bool GameState::StartFuturePatchRequest() {
    if (!futurePatches_.request) return false;
    Workflow::FutureUpdate() = true;
    if (window_) window_->SendEvent(WideString(u"Global.OnFutureUpdateState"));
    sideStep_ = nullptr;
    FeatureStart request = futurePatches_.request(window_);
    if (!request.state) return false;
    sideStep_ = request.state;
    return request.start ? request.start(WideString()) : true;
}

bool GameState::StartFuturePatchDownload() {
    // The request keeps its result until the download has taken it.
    RefPtr<IState> previous = std::move(sideStep_);
    if (!futurePatches_.download) return false;
    FeatureStart download = futurePatches_.download(window_, previous.Get());
    previous = nullptr;
    if (!download.state) return false;
    sideStep_ = download.state;
    return download.start ? download.start(WideString()) : true;
}

bool GameState::StartFullVersionRequest() {
    // The download that follows keeps to the background speed limits.
    Workflow::FullVersionDownload() = true;
    SetStep(nullptr);
    if (!fullVersion_.request) return false;
    FeatureStart request = fullVersion_.request(window_);
    if (!request.state) return false;
    SetStep(request.state.Get());
    return request.start ? request.start(WideString()) : true;
}

bool GameState::StartFullVersionDownload() {
    // The request step holds its answer until the download has taken it.
    RefPtr<IState> request(FindState(StateId::RipRequest));
    const AppParams* params = GetAppParams();
    fullVersionList_ = params ? FullVersion::BuildList(*params) : nullptr;
    SetStep(nullptr);
    if (!fullVersion_.download || !fullVersionList_ || fullVersionList_->entries.Empty()) return false;
    FullVersionDownloadStart download =
        fullVersion_.download(window_, request.Get(), fullVersionList_.Get(), stagingSubfolder_);
    request = nullptr;
    if (!download.state) return false;
    SetStep(download.state.Get());
    WideString torrentPath;
    const bool started = download.start ? download.start(torrentPath) : true;
    stagingFolder_ = FullVersion::StagingFolder(torrentPath);
    return started;
}

bool GameState::InstallFullVersion() {
    // The files are where the finished download put them; the torrent's name tells the
    // same folder only when the torrent's top folder is named after it.
    IState* download = FindState(StateId::RipDownload);
    if (download && fullVersion_.downloadedFolder) {
        const WideString downloaded = fullVersion_.downloadedFolder(*download);
        if (!downloaded.IsEmpty()) stagingFolder_ = downloaded;
    }
    // The download's engine lets go of the files before they move and their folder goes.
    if (fullVersionList_ && !stagingFolder_.IsEmpty()) SetStep(nullptr);
    const AppParams* params = GetAppParams();
    const WideString gameRoot = params ? params->gameRoot : WideString();
    const std::string log = StrUtil::ToNarrow(PathText::Join(gameRoot, WideString(FullVersion::kMoveLog))).Std();
    if (!params || !FullVersion::Move(fullVersionList_.Get(), stagingFolder_, gameRoot, log)) {
        if (window_) window_->SendEvent(WideString(u"Game.FullInstallationFailed"));
        return true;
    }
    std::error_code ignored;
    std::filesystem::remove(StrUtil::ToNarrow(params->demoPath).Std(), ignored);
    RemoveDownloadFolder(params->patchesDir, WideString(kFullVersionFolder));
    if (window_) window_->SendEvent(WideString(u"Game.ExitGame"));
    return true;
}
