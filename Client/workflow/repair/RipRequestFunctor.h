#pragma once
// Runs the repair request: the repair server client, driven by a 10 ms window timer,
// and one page event for its one outcome. In the version-file mode the answer only
// replaces the installed version file, once its bytes have been read as one.
#include "engine/servers/HttpRipClient.h"
#include "shell/AppParams.h"
#include "workflow/ServerRequestStep.h"
#include "workflow/repair/IRipRequestFunctor.h"
#include "workflow/repair/RipRequestView.h"

class RipRequestFunctor final : public ServerRequestStep<IRipRequestFunctor, IRipServer, RipRequestView> {
public:
    // The real request to the run's update server; null without a view or parameters.
    static RefPtr<RipRequestFunctor> Create(RipRequestView* view, AppParams* params, bool versionFileOnly);
    // A request through the given client; null without a view, parameters or a client.
    static RefPtr<RipRequestFunctor> Create(RipRequestView* view, AppParams* params, IRipServer* client,
                                            bool versionFileOnly);

    bool Run() override;
    RefPtr<RipPatchInfo> GetResult() override { return result_; }

private:
    RipRequestFunctor(RipRequestView* view, AppParams* params, IRipServer* client, bool versionFileOnly);
    ~RipRequestFunctor() override = default;

    bool OnRipInfoReady(RipPatchInfo* info);
    void SaveVersionFile(const RipPatchInfo& info);
    void DisconnectAnswers(IRipServer& client) override;

    RefPtr<AppParams> params_;
    bool versionFileOnly_;
    RefPtr<RipPatchInfo> result_;
};
