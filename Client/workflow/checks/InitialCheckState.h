#pragma once
// The initial-check step: it holds its functor and takes no page command.
#include "workflow/IState.h"
#include "workflow/StateIds.h"
#include "workflow/checks/IInitialCheckFunctor.h"

class InitialCheckState final : public IState {
public:
    explicit InitialCheckState(IInitialCheckFunctor* functor) : functor_(functor) {}

    bool OnCommand(int, const WideString&) override { return false; }
    int GetId() const override { return StateId::InitialCheck; }

private:
    ~InitialCheckState() override = default;

    RefPtr<IInitialCheckFunctor> functor_;
};
