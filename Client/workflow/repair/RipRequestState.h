#pragma once
// The repair-request step: it holds its functor and takes no page command. The
// container finds it by its id to hand the repair set to the download.
#include "workflow/IState.h"
#include "workflow/StateIds.h"
#include "workflow/repair/IRipRequestFunctor.h"

class RipRequestState final : public IState {
public:
    explicit RipRequestState(IRipRequestFunctor* functor) : functor_(functor) {}

    bool OnCommand(int, const WideString&) override { return false; }
    int GetId() const override { return StateId::RipRequest; }

    IRipRequestFunctor* Functor() const { return functor_.Get(); }

private:
    ~RipRequestState() override = default;

    RefPtr<IRipRequestFunctor> functor_;
};
