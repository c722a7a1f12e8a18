#pragma once
// The fast-check step at the root's main-flow key: it holds its functor, takes no page
// command and stays idle after its one synchronous run.
#include "workflow/FeatureFactories.h"
#include "workflow/IState.h"
#include "workflow/checks/FastCheckFunctor.h"

class FastCheckState final : public IState {
public:
    explicit FastCheckState(FastCheckFunctor* functor) : functor_(functor) {}

    // The root's factory for command 40: no state without an installed version.
    static FeatureStart Start(IMainWindow* window);

    bool OnCommand(int, const WideString&) override { return false; }

private:
    ~FastCheckState() override = default;

    RefPtr<FastCheckFunctor> functor_;
};
