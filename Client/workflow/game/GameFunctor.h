#pragma once
// Starts the game. A monitored start removes the status word the game publishes,
// starts the game, and on 500 ms ticks waits for either the word (0: the game runs;
// else its start error) or the game's end (its exit code, -1 for a crash); a plain
// start only starts it. The payment updater and the game's project id at the hub are
// also this feature's.
#include <string>

#include "platform/process/ProcessSpawn.h"
#include "shell/AppParams.h"
#include "workflow/game/GameProcess.h"
#include "workflow/game/GameView.h"
#include "workflow/game/IGameFunctor.h"

class GameFunctor final : public IGameFunctor {
public:
    static constexpr int kMonitorTickMs = 500;

    struct Options {
        // The start monitor watches the status word; a plain start does not.
        bool monitoredStart = true;
        // The shared-memory object the game publishes its start status in.
        std::string statusWordName = "/LauncherGameMapFile";
        // The launcher's bin folder; "" for the current folder, where the launcher runs.
        std::string binFolder;

        // As the string table says: entry 136 "false" selects the monitored start.
        static Options FromStringTable();
    };

    // Null without a view.
    static RefPtr<GameFunctor> Create(GameView* view, Options options = Options::FromStringTable());

    bool StartPaymentUpdater() override;
    void SetLauncherUpdateFlag() override { launcherUpdate_ = true; }
    bool Ready() override;
    bool Run(const WideString& login, const WideString& password, const WideString& key) override;

    bool LauncherUpdateFlag() const { return launcherUpdate_; }
    bool IsStartPending() const { return static_cast<bool>(pendingGame_); }

private:
    GameFunctor(GameView* view, Options options);
    ~GameFunctor() override;

    // The link to the game hub (command 77) is a feature of its own, not part of this
    // launcher yet.
    bool HasHubLink() const { return false; }
    // The project id from the game's packs, unless a configuration line gave one.
    void LoadProjectId();
    // 0, or the start error.
    int StartGame(const WideString& login, const WideString& password, const WideString& key);
    int StartMonitored(const SpawnRequest& request);
    bool OnMonitorTick(std::int64_t elapsed);
    void EndMonitor(int code);

    RefPtr<GameView> view_;
    Options options_;
    bool launcherUpdate_ = false;
    RefPtr<ITimer> monitorTimer_;
    GameProcess pendingGame_;  // the game of a monitored start, until its outcome is known
};
