#pragma once
// The patch-download step: it holds its functor and takes no page command. The
// container finds it by its id to hand its plan to the patch apply.
#include "workflow/IState.h"
#include "workflow/StateIds.h"
#include "workflow/patches/IPatchesDownloadFunctor.h"

class PatchesDownloadState final : public IState {
public:
    explicit PatchesDownloadState(IPatchesDownloadFunctor* functor) : functor_(functor) {}

    bool OnCommand(int, const WideString&) override { return false; }
    int GetId() const override { return StateId::PatchesDownload; }

    IPatchesDownloadFunctor* Functor() const { return functor_.Get(); }

private:
    ~PatchesDownloadState() override = default;

    RefPtr<IPatchesDownloadFunctor> functor_;
};
