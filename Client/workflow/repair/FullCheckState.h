#pragma once
// The full-check step: it holds its functor and takes no page command.
#include "workflow/IState.h"
#include "workflow/StateIds.h"
#include "workflow/repair/IFullCheckFunctor.h"

class FullCheckState final : public IState {
public:
    explicit FullCheckState(IFullCheckFunctor* functor) : functor_(functor) {}

    bool OnCommand(int, const WideString&) override { return false; }
    int GetId() const override { return StateId::FullCheck; }

    IFullCheckFunctor* Functor() const { return functor_.Get(); }

private:
    ~FullCheckState() override = default;

    RefPtr<IFullCheckFunctor> functor_;
};
