#pragma once
// A game step's game that is always ready and starts nothing, for the tests of what
// runs beside the game step.
#include "workflow/game/IGameFunctor.h"

struct NoGame final : IGameFunctor {
    bool StartPaymentUpdater() override { return true; }
    bool StartHub(bool) override { return true; }
    void SetLauncherUpdateFlag() override {}
    bool Ready() override { return true; }
    bool Run(const WideString&, const WideString&, const WideString&) override { return true; }
};
