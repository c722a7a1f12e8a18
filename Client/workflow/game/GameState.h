#pragma once
// The game step of the main flow (command 70): it takes the commands of the game
// start, the hub link and the payment updater itself, and runs the future-patch request and
// download (31, 300) as a side step beside it, which FindState does not see.
#include <functional>

#include "workflow/FeatureFactories.h"
#include "workflow/IMainWindow.h"
#include "workflow/SingleState.h"
#include "workflow/game/IGameFunctor.h"

// The side step's features: the patch request and the patch download in the future
// mode. An empty slot makes its command answer false.
struct FuturePatchFactories {
    std::function<FeatureStart(IMainWindow* window)> request;
    // Given the side step before it (the request whose result it downloads), or null.
    std::function<FeatureStart(IMainWindow* window, IState* previous)> download;
};

class GameState final : public SingleState {
public:
    GameState(IGameFunctor* functor, IMainWindow* window, FuturePatchFactories futurePatches = {});

    bool OnCommand(int code, const WideString& argument) override;

    IGameFunctor* Functor() const { return functor_.Get(); }
    IState* SideStep() const { return sideStep_.Get(); }

private:
    ~GameState() override;

    // 700, "LOGIN<=>PASSWORD".
    bool RunGame(const WideString& argument);
    bool StartFuturePatchRequest();
    bool StartFuturePatchDownload();
    // A full-version download leaves its files in the patches folder's "Full/"; once
    // the game is to start they are of no use, unless a download is still writing there.
    void RemoveFullVersionLeftovers();

    RefPtr<IGameFunctor> functor_;
    IMainWindow* window_;
    FuturePatchFactories futurePatches_;
    RefPtr<IState> sideStep_;
};
