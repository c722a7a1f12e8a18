#pragma once
// The repair request's page events ("Repair." module).
#include "workflow/IView.h"

class RipRequestView final : public IView {
public:
    explicit RipRequestView(IMainWindow* window) : IView(window) {}

    RefPtr<ITimer> CreateTimer() override;
    void OnGameVersionRepaired();
    void OnRequest();
    void OnAnswer();
    // A network failure: 3, 6, 8, 9 or 11.
    void OnServerError(int code);
    // The server's answer is unusable: -1 or -3.
    void OnLogicError(int code);
    void OnSaveError();

private:
    ~RipRequestView() override = default;

    void Send(const char16_t* name);
    void SendCode(const char16_t* name, int code);
};
