#pragma once
// Runs the patch request: the patch server client, driven by a 10 ms window timer, and
// one page event for the client's one outcome. The first outcome ends the request:
// the timer and the client go before the view is told, so nothing more happens.
#include "engine/servers/IPatchServer.h"
#include "shell/AppParams.h"
#include "workflow/ServerRequestStep.h"
#include "workflow/patches/IPatchesRequestFunctor.h"
#include "workflow/patches/PatchesRequestView.h"

class PatchesRequestFunctor final
    : public ServerRequestStep<IPatchesRequestFunctor, IPatchServer, PatchesRequestView> {
public:
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
    ~PatchesRequestFunctor() override = default;

    bool OnPatchesReady(PatchInfos* patches, bool tooOld);
    bool OnFinished();
    bool OnLauncherUpdateRequired();
    void DisconnectAnswers(IPatchServer& client) override;

    RefPtr<PatchInfos> result_;
    WideString installedVersion_;
};
