#include "workflow/game/GameFunctor.h"

#include <filesystem>
#include <system_error>

#include "platform/ipc/SharedStatusWord.h"
#include "shell/resources/StringIds.h"
#include "shell/resources/StringTable.h"
#include "workflow/Settings.h"
#include "workflow/WorkflowValues.h"
#include "workflow/game/GameLaunch.h"
#include "workflow/game/PaymentUpdater.h"
#include "workflow/game/ProjectId.h"

namespace {

// The codes of "Game.OnStartError" that are not the game's own.
constexpr int kNotStarted = -2;
constexpr int kCrashed = -1;

constexpr char kVersionPack[] = "../data/Packs/Version.pak";

}  // namespace

GameFunctor::Options GameFunctor::Options::FromStringTable() {
    Options options;
    options.monitoredStart = LoadResString(StringId::MonitoredStartSwitch).View() == u"false";
    return options;
}

RefPtr<GameFunctor> GameFunctor::Create(GameView* view, Options options) {
    if (!view) return nullptr;
    return RefPtr<GameFunctor>(new GameFunctor(view, std::move(options)));
}

GameFunctor::GameFunctor(GameView* view, Options options) : view_(view), options_(std::move(options)) {
    if (options_.binFolder.empty()) {
        std::error_code error;
        options_.binFolder = std::filesystem::current_path(error).string();
    }
    LoadProjectId();
    LoadInstalledVersion();
}

GameFunctor::~GameFunctor() {
    EndHubLink();
    if (hubTimer_) hubTimer_->Stop();
    // A pending start is no longer watched; the game itself runs on.
    if (monitorTimer_) monitorTimer_->Stop();
}

void GameFunctor::LoadProjectId() {
    if (Settings::vantry_project_id.GetInt() != 0) return;
    const int id = ReadProjectId(String((std::filesystem::path(options_.binFolder) / kVersionPack).c_str()));
    if (id != 0) Settings::vantry_project_id.SetInt(id);
}

void GameFunctor::LoadInstalledVersion() {
    AppParams* params = GetAppParams();
    RefPtr<Game::IGameVersion> version = params ? params->GetGameVersion() : RefPtr<Game::IGameVersion>();
    if (!version) return;
    versionText_ = String(version->GetVersion());
    for (const RefPtr<Game::GameFolder>& folder : version->GetFolders()) {
        for (const RefPtr<Game::GameFolder::Content>& content : folder->contents)
            if (content->Flags() & Game::kMinimalSet) ++requiredCount_;
    }
}

bool GameFunctor::Ready() {
    view_->OnEpayCheck();
    return true;
}

bool GameFunctor::StartPaymentUpdater() {
    PaymentUpdater::Refresh(options_.binFolder);
    view_->OnReady();
    return true;
}

bool GameFunctor::Run(const WideString& login, const WideString& password, const WideString& key) {
    if (pendingGame_) return false;
    WideString savedLogin = login;
    if (AppParams* params = GetAppParams()) {
        params->login = login;
        params->SaveLogin();
        savedLogin = params->login;  // without the line breaks the settings file cannot hold
    }
    const int code = StartGame(savedLogin, password, key);
    if (code == 0) return true;
    view_->OnStartError(code);
    return false;
}

int GameFunctor::StartGame(const WideString& login, const WideString& password, const WideString& key) {
    GameLaunch::Input input;
    input.binFolder = options_.binFolder;
    input.executable = LoadResString(StringId::GameExecutable);
    input.login = login;
    input.password = password;
    input.key = key;
    if (Workflow::ProgressiveDownload()) {
        const bool linked = HasHubLink();
        input.vantry =
            GameLaunch::VantryDigit(Settings::fakeVantry.GetBool(), linked, linked && GameLaunch::LauncherStartedByHub());
    }
    const SpawnRequest request = GameLaunch::BuildRequest(input);
    if (options_.monitoredStart) return StartMonitored(request);

    ProcessHandle game = SpawnChild(request);
    if (!game.IsValid()) return kNotStarted;
    SetLastGameProcess(ShareGameProcess(std::move(game)));
    view_->OnRun();
    return 0;
}

int GameFunctor::StartMonitored(const SpawnRequest& request) {
    RefPtr<ITimer> timer = view_->CreateTimer();
    if (!timer) return kNotStarted;
    timer->OnTick.Connect<&GameFunctor::OnMonitorTick>(this);
    // A word left by an earlier game would read as this one's status.
    RemoveSharedStatusWord(options_.statusWordName);
    // The timer runs before the game does, so a game that starts is always watched.
    if (!timer->Start(kMonitorTickMs)) return kNotStarted;
    ProcessHandle game = SpawnChild(request);
    if (!game.IsValid()) {
        timer->Stop();
        return kNotStarted;
    }
    pendingGame_ = ShareGameProcess(std::move(game));
    SetLastGameProcess(pendingGame_);
    monitorTimer_ = timer;
    view_->OnPreRun();
    return 0;
}

bool GameFunctor::OnMonitorTick(std::int64_t) {
    if (!pendingGame_) return true;
    switch (pendingGame_->Poll()) {
    case ProcessState::Running: {
        std::int32_t status = 0;
        switch (ReadSharedStatusWord(options_.statusWordName, status)) {
        case StatusWordRead::Missing:
        case StatusWordRead::NotWritten:
            return true;  // not yet: the next tick looks again
        case StatusWordRead::Read:
            EndMonitor(status);
            return true;
        case StatusWordRead::Failed:
        case StatusWordRead::Foreign:  // whatever it says, another user wrote it
            EndMonitor(kNotStarted);
            return true;
        }
        return true;
    }
    case ProcessState::Ended: {
        const ExitStatus* ended = pendingGame_->EndedStatus();
        EndMonitor(!ended ? kNotStarted : ended->IsCrash() ? kCrashed : ended->value);
        return true;
    }
    case ProcessState::Failed:
        EndMonitor(kNotStarted);
        return true;
    }
    return true;
}

void GameFunctor::EndMonitor(int code) {
    pendingGame_ = nullptr;
    monitorTimer_->Stop();
    monitorTimer_ = nullptr;
    if (code == 0) {
        view_->OnRun();
    } else {
        view_->OnStartError(code);
    }
}
