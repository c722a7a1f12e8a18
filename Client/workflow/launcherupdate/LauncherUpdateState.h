#pragma once
// The self-update at the root's main-flow key: all its work happens in command 25; it
// then only keeps its functor and takes no command.
#include "workflow/FeatureFactories.h"
#include "workflow/IState.h"
#include "workflow/launcherupdate/LauncherUpdateFunctor.h"

class LauncherUpdateState final : public IState {
public:
    explicit LauncherUpdateState(LauncherUpdateFunctor* functor) : functor_(functor) {}

    // The root's factory for command 25.
    static FeatureStart Start(IMainWindow* window);

    bool OnCommand(int, const WideString&) override { return false; }

private:
    ~LauncherUpdateState() override = default;

    RefPtr<LauncherUpdateFunctor> functor_;
};
