#pragma once
// The patch apply's window side: it ends the window with the plan's path, which the
// launcher hands to the applier once the window has closed.
#include "workflow/IView.h"

class PatchesApplyView final : public IView {
public:
    explicit PatchesApplyView(IMainWindow* window) : IView(window) {}

    // The step does its work at once: no timer.
    RefPtr<ITimer> CreateTimer() override { return nullptr; }
    void Finish(const WideString& planPath);
    // "Patching.OnApplyFailed": the applier or the plan could not be put in place, so
    // the window stays open and the player is told.
    void OnFailed();

private:
    ~PatchesApplyView() override = default;
};
