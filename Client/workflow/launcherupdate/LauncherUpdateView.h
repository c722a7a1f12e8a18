#pragma once
// The self-update's page events ("LauncherUpdate." module). It needs no timer.
#include "base/runtime/Vector.h"
#include "workflow/IView.h"

class LauncherUpdateView final : public IView {
public:
    explicit LauncherUpdateView(IMainWindow* window) : IView(window) {}

    RefPtr<ITimer> CreateTimer() override { return nullptr; }
    void OnNoNeedUpdate();
    void OnDeleteTempDir();
    void OnNeedUpdate();
    void OnUpdated();
    void OnNotUpdated();
    // One argument per locked file: its full path.
    void OnLockedFiles(const WideStringVector& paths);

private:
    ~LauncherUpdateView() override = default;
    void Send(const char16_t* name);
};
