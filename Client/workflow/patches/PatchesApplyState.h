#pragma once
// The patch-apply step: it holds its functor and takes no page command; nothing takes
// a result from it.
#include "workflow/IState.h"
#include "workflow/patches/IPatchesApplyFunctor.h"

class PatchesApplyState final : public IState {
public:
    explicit PatchesApplyState(IPatchesApplyFunctor* functor) : functor_(functor) {}

    bool OnCommand(int, const WideString&) override { return false; }

private:
    ~PatchesApplyState() override = default;

    RefPtr<IPatchesApplyFunctor> functor_;
};
