#pragma once
// Runs the patch request: the patch server client, driven by a 10 ms window timer, and
// one page event for the client's one outcome. The first outcome ends the request:
// the timer and the client go before the view is told, so nothing more happens.
#include <cstdint>

#include "engine/servers/IPatchServer.h"
#include "shell/AppParams.h"
#include "workflow/ServerRequestPoll.h"
#include "workflow/patches/IPatchesRequestFunctor.h"
#include "workflow/patches/PatchesRequestView.h"

class PatchesRequestFunctor final : public IPatchesRequestFunctor {
public:
    static constexpr int kTickMs = ServerRequestPoll::kTickMs;

    // The real request to the run's update server. Null without a view, a version
    // object or its version text, or a launcher configuration path.
    static RefPtr<PatchesRequestFunctor> Create(PatchesRequestView* view, AppParams* params, Game::IGameVersion* version);
    // A request through the given client; null without a view, a client or a version text.
    static RefPtr<PatchesRequestFunctor> Create(PatchesRequestView* view, IPatchServer* client,
                                                const WideString& installedVersion);

    bool Run() override;
    RefPtr<PatchInfos> GetResult() override { return result_; }

private:
    PatchesRequestFunctor(PatchesRequestView* view, IPatchServer* client, const WideString& installedVersion);
    ~PatchesRequestFunctor() override;

    bool OnPatchesReady(PatchInfos* patches, bool tooOld);
    bool OnFinished();
    bool OnLauncherUpdateRequired();
    bool OnNetworkError(int code);
    bool OnServerError(int code);

    // The end of the request: the timer, then the client, go.
    void EndRequest();
    void ReleaseClient();

    RefPtr<PatchesRequestView> view_;
    RefPtr<IPatchServer> client_;
    RefPtr<PatchInfos> result_;
    ServerRequestPoll poll_;
    WideString installedVersion_;
};
