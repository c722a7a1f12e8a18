#pragma once
// The fast check's page events ("FastCheck." module). It needs no timer.
#include "workflow/IView.h"

class FastCheckView final : public IView {
public:
    explicit FastCheckView(IMainWindow* window) : IView(window) {}

    RefPtr<ITimer> CreateTimer() override { return nullptr; }
    void OnSuccess();
    void OnFail();

private:
    ~FastCheckView() override = default;
};
