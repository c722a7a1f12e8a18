#pragma once
// The initial check's page events ("InitialCheck." module) and the end of the window
// when a plan left behind is still good.
#include "workflow/IView.h"

class InitialCheckView final : public IView {
public:
    explicit InitialCheckView(IMainWindow* window) : IView(window) {}

    RefPtr<ITimer> CreateTimer() override;
    // No installed version: the game needs a repair first.
    void OnNeedRepair();
    // No usable plan (any more): the update can go on.
    void OnReadyToUpdate();
    // A plan was found and its chain is being checked against the server.
    void OnCheckRequest();
    // The plan still holds: the window ends with its path for the applier.
    void Finish(const WideString& planPath);

private:
    ~InitialCheckView() override = default;

    void Send(const char16_t* name);
};
