#pragma once
// Starts the game. A monitored start removes the status word the game publishes,
// starts the game, and on 500 ms ticks waits for either the word (0: the game runs;
// else its start error) or the game's end (its exit code, -1 for a crash); a plain
// start only starts it. The payment updater, the game's project id at the hub and the
// hub's download progress (in the progressive mode, GameFunctorHub.cpp) are also this
// feature's.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "hublink/IInterCom.h"
#include "platform/process/ProcessSpawn.h"
#include "shell/AppParams.h"
#include "workflow/game/GameProcess.h"
#include "workflow/game/GameView.h"
#include "workflow/game/HubPackList.h"
#include "workflow/game/IGameFunctor.h"

class GameFunctor final : public IGameFunctor {
public:
    static constexpr int kMonitorTickMs = 500;
    static constexpr int kHubTickMs = 100;
    // While the hub has listed no packs it is asked again every 3 s; a list is asked
    // for anew every 60 s.
    static constexpr int kPackListRetryTicks = 30;
    static constexpr int kPackListRefreshTicks = 600;
    // The longest wait for the hub to close the link after it was told to end: 5 s.
    static constexpr int kDrainPolls = 50;
    static constexpr int kDrainPollMs = 100;

    // Makes the link to the hub, which starts connecting at once; null when it cannot.
    using HubLinkFactory = std::function<std::unique_ptr<VTInterCom::IInterCom>(
        const InterComHandshake& handshake, const WideString& hubExecutable, const InterComCallbacks& callbacks)>;

    struct Options {
        // The start monitor watches the status word; a plain start does not.
        bool monitoredStart = true;
        // The shared-memory object the game publishes its start status in.
        std::string statusWordName = "/LauncherGameMapFile";
        // The launcher's bin folder; "" for the current folder, where the launcher runs.
        std::string binFolder;
        // Empty: the real link, with the hub's sockets in the user's runtime folder.
        HubLinkFactory makeHubLink;

        // As the string table says: entry 136 "false" selects the monitored start.
        static Options FromStringTable();
    };

    // Null without a view.
    static RefPtr<GameFunctor> Create(GameView* view, Options options = Options::FromStringTable());

    bool StartPaymentUpdater() override;
    bool StartHub(bool hiresOptional) override;
    void SetLauncherUpdateFlag() override { launcherUpdate_ = true; }
    bool Ready() override;
    bool Run(const WideString& login, const WideString& password, const WideString& key) override;

    bool LauncherUpdateFlag() const { return launcherUpdate_; }
    bool IsStartPending() const { return static_cast<bool>(pendingGame_); }
    bool HasHubLink() const { return static_cast<bool>(hubLink_); }

private:
    GameFunctor(GameView* view, Options options);
    ~GameFunctor() override;

    // The project id from the game's packs, unless a configuration line gave one.
    void LoadProjectId();
    // The installed version's text and the number of its files of the minimal set.
    void LoadInstalledVersion();
    // 0, or the start error.
    int StartGame(const WideString& login, const WideString& password, const WideString& key);
    int StartMonitored(const SpawnRequest& request);
    bool OnMonitorTick(std::int64_t elapsed);
    void EndMonitor(int code);

    // The hub progress. Everything runs on the UI thread: the callbacks are called
    // from ReceiveAndDispatch, inside a tick or the drain.
    bool ConnectHub();
    bool OnHubTick(std::int64_t elapsed);
    void OnPackInfos(const PackInfos& infos);
    void QueuePackState(const String& name, int priority, int enable);
    void FlushPackStates();
    void OnBuildInfo(const PackInfos& infos);
    void OnNewBuildDetected(int newBuild, const String& buildInfo);
    void OnHubReconnected();
    void OnHubParams(int processId, int apiVersion, bool lightMode, int clientAccepted);
    InterComCallbacks HubCallbacks();
    // Before a launcher download or after a full check in the progressive mode the hub
    // is told to end, so that it lets go of the game's files.
    void EndHubLink();
    void DrainHub();

    RefPtr<GameView> view_;
    Options options_;
    String versionText_;
    int requiredCount_ = 0;
    bool launcherUpdate_ = false;
    RefPtr<ITimer> monitorTimer_;
    GameProcess pendingGame_;  // the game of a monitored start, until its outcome is known

    std::unique_ptr<VTInterCom::IInterCom> hubLink_;  // from command 77 on
    RefPtr<ITimer> hubTimer_;
    int hubSession_ = 0;  // the server build of the last full pack set taken
    HubPackList packList_;
    Vector<PackState> pendingPackStates_;
    bool newPackInformation_ = false;
    int percent_ = 0;
    // Ticks since the pack list was last asked for, and the last readiness measured:
    // this functor's own, so a later game step starts afresh.
    int hubTicks_ = 0;
    bool allRequiredComplete_ = false;
};
