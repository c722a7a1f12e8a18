#include "workflow/FeatureFactories.h"

#include "workflow/game/GameFunctor.h"
#include "workflow/game/GameState.h"
#include "workflow/checks/FastCheckState.h"
#include "workflow/repair/VersionRepairState.h"

namespace {

FeatureFactories MakeInstalled() {
    FeatureFactories factories;
    factories.fastCheck = &FastCheckState::Start;
    factories.versionRepair = [](IMainWindow* window) {
        FeatureStart container;
        container.state = new VersionRepairState(window);
        return container;
    };
    factories.game = [](IMainWindow* window) {
        FeatureStart game;
        RefPtr<GameView> view(new GameView(window));
        RefPtr<GameFunctor> functor = GameFunctor::Create(view.Get());
        if (!functor) return game;
        game.state = new GameState(functor.Get(), window);
        game.start = [functor](const WideString&) { return functor->Ready(); };
        return game;
    };
    return factories;
}

}  // namespace

const FeatureFactories& FeatureFactories::Installed() {
    static const FeatureFactories factories = MakeInstalled();
    return factories;
}
