#pragma once
// Runs the repair request: the repair server client, driven by a 10 ms window timer,
// and one page event for its one outcome. In the version-file mode the answer only
// replaces the installed version file, once its bytes have been read as one.
#include <cstdint>

#include "engine/servers/HttpRipClient.h"
#include "shell/AppParams.h"
#include "workflow/ServerRequestPoll.h"
#include "workflow/repair/IRipRequestFunctor.h"
#include "workflow/repair/RipRequestView.h"

class RipRequestFunctor final : public IRipRequestFunctor {
public:
    static constexpr int kTickMs = ServerRequestPoll::kTickMs;

    // The real request to the run's update server; null without a view or parameters.
    static RefPtr<RipRequestFunctor> Create(RipRequestView* view, AppParams* params, bool versionFileOnly);
    // A request through the given client; null without a view, parameters or a client.
    static RefPtr<RipRequestFunctor> Create(RipRequestView* view, AppParams* params, IRipServer* client,
                                            bool versionFileOnly);

    bool Run() override;
    RefPtr<RipPatchInfo> GetResult() override { return result_; }

private:
    RipRequestFunctor(RipRequestView* view, AppParams* params, IRipServer* client, bool versionFileOnly);
    ~RipRequestFunctor() override;

    bool OnRipInfoReady(RipPatchInfo* info);
    bool OnNetworkError(int code);
    bool OnServerError(int code);
    void SaveVersionFile(const RipPatchInfo& info);

    // The end of the request: the timer, then the client, go.
    void EndRequest();
    void ReleaseClient();

    RefPtr<RipRequestView> view_;
    RefPtr<IRipServer> client_;
    RefPtr<AppParams> params_;
    bool versionFileOnly_;
    ServerRequestPoll poll_;
    RefPtr<RipPatchInfo> result_;
};
