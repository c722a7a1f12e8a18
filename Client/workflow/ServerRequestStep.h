#pragma once
// What the steps that ask the update server once share: the client, the poll that
// drives it on the view's window timer, and the end of the request at its first
// outcome (the timer, then the client, go before the view is told, so nothing more
// happens). The client's two failures reach the view as they come: a network failure
// as OnServerError, an unusable answer as OnLogicError. The step connects its own
// answers to the client and names them in DisconnectAnswers.
//
//     class MyRequest final : public ServerRequestStep<IMyRequest, IMyServer, MyView> {
//         bool Run() override { if (!StartRequest()) return false; GetView().OnRequest(); return true; }
//         bool OnAnswer(...) { EndRequest(); GetView().OnAnswer(...); return true; }
//         void DisconnectAnswers(IMyServer& client) override { client.Answer.Disconnect(this); }
//     };
#include "base/runtime/RefCounter.h"
#include "base/runtime/Timer.h"
#include "workflow/ServerRequestPoll.h"

template <class Interface, class Client, class View>
class ServerRequestStep : public Interface {
public:
    static constexpr int kTickMs = ServerRequestPoll::kTickMs;

protected:
    ServerRequestStep(View* view, Client* client) : view_(view), client_(client) {
        client->NetworkError.template Connect<&ServerRequestStep::OnNetworkError>(this);
        client->ServerError.template Connect<&ServerRequestStep::OnServerError>(this);
    }
    // The client's events hold the step weakly: a dead step hears nothing more.
    ~ServerRequestStep() override { poll_.Stop(); }

    // Sends the request and starts polling; false when it is running or over, or when
    // the timer or the request cannot start (the client is then let go).
    bool StartRequest() {
        if (!client_ || poll_.IsRunning()) return false;
        RefPtr<ITimer> timer = view_->CreateTimer();
        if (!timer) return false;
        if (!poll_.Start(this, *timer, *client_)) {
            ReleaseClient();
            return false;
        }
        return true;
    }
    void EndRequest() {
        poll_.Stop();
        ReleaseClient();
    }
    View& GetView() const { return *view_; }

    virtual void DisconnectAnswers(Client& client) = 0;

private:
    bool OnNetworkError(int code) {
        EndRequest();
        view_->OnServerError(code);
        return true;
    }
    bool OnServerError(int code) {
        EndRequest();
        view_->OnLogicError(code);
        return true;
    }
    void ReleaseClient() {
        if (!client_) return;
        DisconnectAnswers(*client_);
        client_->NetworkError.Disconnect(this);
        client_->ServerError.Disconnect(this);
        client_ = nullptr;
    }

    RefPtr<View> view_;
    RefPtr<Client> client_;
    ServerRequestPoll poll_;
};
