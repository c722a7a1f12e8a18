#pragma once
// The attribute check's page events ("CheckAttributes." module).
#include "workflow/IView.h"

class CheckAttributesView final : public IView {
public:
    explicit CheckAttributesView(IMainWindow* window) : IView(window) {}

    RefPtr<ITimer> CreateTimer() override;
    void OnStartChecking();
    void OnSuccessChecking();
    // The folders that still hold read-only files, in the order they were met; none
    // means there was nothing to work from (no installed version, no folders).
    void OnFailedChecking(const WideStringVector& folders);

private:
    ~CheckAttributesView() override = default;
};
