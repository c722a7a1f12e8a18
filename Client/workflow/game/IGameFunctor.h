#pragma once
// What the game state asks of the game feature.
#include "base/runtime/RefCounter.h"
#include "base/runtime/String.h"

class IGameFunctor : public RefCounter {
public:
    // 770: refreshes and starts the payment updater, then tells the page it is ready.
    virtual bool StartPaymentUpdater() = 0;
    // 77: links to the game hub and reports its download progress; true. With
    // hiresOptional false the high-resolution packs count as part of the game.
    virtual bool StartHub(bool hiresOptional) = 0;
    // 2700: the launcher is about to be downloaded anew.
    virtual void SetLauncherUpdateFlag() = 0;
    // 70: tells the page to check the payment updater; true.
    virtual bool Ready() = 0;
    // 700: starts the game; false when a monitored start is still pending or the start
    // failed (and the page was told).
    virtual bool Run(const WideString& login, const WideString& password, const WideString& key) = 0;

protected:
    ~IGameFunctor() override = default;
};
