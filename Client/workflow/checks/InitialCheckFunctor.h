#pragma once
// The first step of the update road: a plan left in the patches folder by a run that
// did not get to start the applier is handed over again while the server's patch
// history still leads the same way; otherwise it is deleted and the page may go on.
// The server is asked through the checking client on a 10 ms window timer.
#include <cstdint>

#include "engine/servers/HttpCheckingClient.h"
#include "shell/AppParams.h"
#include "workflow/ServerRequestPoll.h"
#include "workflow/checks/IInitialCheckFunctor.h"
#include "workflow/checks/InitialCheckView.h"

class InitialCheckFunctor final : public IInitialCheckFunctor {
public:
    static constexpr int kTickMs = ServerRequestPoll::kTickMs;

    // Null without a view, the run's parameters or their launcher configuration path;
    // without an installed version the page hears it needs a repair, and null.
    static RefPtr<InitialCheckFunctor> Create(InitialCheckView* view, AppParams* params);
    // The same with the installed version given (null: none is installed).
    static RefPtr<InitialCheckFunctor> Create(InitialCheckView* view, AppParams* params, Game::IGameVersion* version);
    // The real check: its view on the window, the run's parameters.
    static InitialCheckFactory DefaultFactory();

    bool Run() override;

private:
    InitialCheckFunctor(InitialCheckView* view, AppParams* params, Game::IGameVersion* version)
        : view_(view), params_(params), version_(version) {}
    ~InitialCheckFunctor() override;

    // Starts the plan's check; false when there is no plan or it cannot be checked.
    bool StartCheck();
    bool OnChainValid();
    bool OnChainFailed();
    bool OnClientError(int) { return OnChainFailed(); }

    // The first outcome ends the check: the timer, then the client, go.
    void EndCheck();

    RefPtr<InitialCheckView> view_;
    RefPtr<AppParams> params_;
    RefPtr<Game::IGameVersion> version_;
    RefPtr<HttpCheckingClient> client_;
    ServerRequestPoll poll_;
    WideString planPath_;
};
