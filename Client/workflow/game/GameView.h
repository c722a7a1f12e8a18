#pragma once
// The game start's page events ("Game." module).
#include "workflow/IView.h"

class GameView final : public IView {
public:
    explicit GameView(IMainWindow* window) : IView(window) {}

    // The start monitor's timer (500 ms ticks).
    RefPtr<ITimer> CreateTimer() override;
    // The hub progress's timer (100 ms ticks).
    RefPtr<ITimer> CreateHubTimer();
    // Both carry the length of the command line's authorisation key, 0 without one.
    void OnReady();
    void OnEpayCheck();
    // A monitored start: the game runs and has not told its start status yet.
    void OnPreRun();
    void OnRun();
    // -2: the game could not be started or watched; -1: it crashed; otherwise its exit
    // code or the start status it published.
    void OnStartError(int code);

    // The hub link could not be made at all.
    void OnVtConnectFail();
    // No connection to the hub (yet, or any more); repeated on every tick meanwhile.
    void OnVtConnectionLost();
    // The percent of the game that is ready, and whether every required pack is complete.
    void OnDownloading(int percent, bool allRequiredComplete);
    // The whole game is ready; sent once.
    void OnDownloadingFinished();

private:
    ~GameView() override = default;

    void Send(const char16_t* name);
    void SendNumber(const char16_t* name, int value);
};
