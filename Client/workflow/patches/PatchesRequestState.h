#pragma once
// The patch-request step: it holds its functor and takes no page command. The
// container finds it by its id to hand its patches to the download.
#include "workflow/IState.h"
#include "workflow/StateIds.h"
#include "workflow/patches/IPatchesRequestFunctor.h"

class PatchesRequestState final : public IState {
public:
    explicit PatchesRequestState(IPatchesRequestFunctor* functor) : functor_(functor) {}

    bool OnCommand(int, const WideString&) override { return false; }
    int GetId() const override { return StateId::PatchesRequest; }

    IPatchesRequestFunctor* Functor() const { return functor_.Get(); }

private:
    ~PatchesRequestState() override = default;

    RefPtr<IPatchesRequestFunctor> functor_;
};
