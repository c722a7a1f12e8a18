#pragma once
// The game start's page events ("Game." module).
#include "workflow/IView.h"

class GameView final : public IView {
public:
    explicit GameView(IMainWindow* window) : IView(window) {}

    // The start monitor's timer (500 ms ticks).
    RefPtr<ITimer> CreateTimer() override;
    // Both carry the length of the command line's authorisation key, 0 without one.
    void OnReady();
    void OnEpayCheck();
    // A monitored start: the game runs and has not told its start status yet.
    void OnPreRun();
    void OnRun();
    // -2: the game could not be started or watched; -1: it crashed; otherwise its exit
    // code or the start status it published.
    void OnStartError(int code);

private:
    ~GameView() override = default;

    void SendNumber(const char16_t* name, int value);
};
