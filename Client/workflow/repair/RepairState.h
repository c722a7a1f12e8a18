#pragma once
// The repair step: it holds its functor and takes the answers to the locked-file
// question, also when none is pending (they change nothing then). No later step looks
// it up.
#include "workflow/IState.h"
#include "workflow/PageCommands.h"
#include "workflow/repair/IRepairFunctor.h"

class RepairState final : public IState {
public:
    explicit RepairState(IRepairFunctor* functor) : functor_(functor) {}

    bool OnCommand(int code, const WideString&) override {
        if (code == PageCommand::RepairLockRetry) {
            functor_->Retry();
            return true;
        }
        if (code == PageCommand::RepairLockAbort) {
            functor_->Abort();
            return true;
        }
        return false;
    }

private:
    ~RepairState() override = default;

    RefPtr<IRepairFunctor> functor_;
};
