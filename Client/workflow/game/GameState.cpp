#include "workflow/game/GameState.h"

#include <filesystem>
#include <system_error>

#include "base/runtime/StrUtil.h"
#include "shell/AppParams.h"
#include "shell/PathText.h"
#include "workflow/PageCommands.h"
#include "workflow/WorkflowValues.h"

GameState::GameState(IGameFunctor* functor, IMainWindow* window, FuturePatchFactories futurePatches)
    : functor_(functor), window_(window), futurePatches_(std::move(futurePatches)) {}

GameState::~GameState() {
    sideStep_ = nullptr;
    functor_ = nullptr;
    SetStep(nullptr);
}

bool GameState::OnCommand(int code, const WideString& argument) {
    // Its own switch: the current step is not offered the commands. The full version
    // of a demo installation (600, 4001, 4002) is a feature of its own, not part of
    // this launcher yet; like every other code it answers false.
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
    const std::string full = StrUtil::ToNarrow(PathText::Join(params->patchesDir, WideString(u"Full"))).Std();
    std::error_code error;
    if (std::filesystem::is_directory(std::filesystem::symlink_status(full, error))) std::filesystem::remove_all(full, error);
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
    if (!futurePatches_.download) return false;
    // The request keeps its result until the download has taken it.
    RefPtr<IState> previous = std::move(sideStep_);
    FeatureStart download = futurePatches_.download(window_, previous.Get());
    previous = nullptr;
    if (!download.state) return false;
    sideStep_ = download.state;
    return download.start ? download.start(WideString()) : true;
}
