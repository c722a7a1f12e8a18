#pragma once
// The repair-download step: it holds its functor and takes no page command. The
// repair finds it by its id to take the downloaded files.
#include "workflow/IState.h"
#include "workflow/StateIds.h"
#include "workflow/repair/IRipDownloadFunctor.h"

class RipDownloadState final : public IState {
public:
    explicit RipDownloadState(IRipDownloadFunctor* functor) : functor_(functor) {}

    bool OnCommand(int, const WideString&) override { return false; }
    int GetId() const override { return StateId::RipDownload; }

    IRipDownloadFunctor* Functor() const { return functor_.Get(); }

private:
    ~RipDownloadState() override = default;

    RefPtr<IRipDownloadFunctor> functor_;
};
