#pragma once
// The repair's page events ("Repair." module).
#include <cstdint>

#include "workflow/IView.h"
#include "workflow/repair/Rip.h"

class RepairView final : public IView {
public:
    explicit RepairView(IMainWindow* window) : IView(window) {}

    RefPtr<ITimer> CreateTimer() override;
    void OnApply();
    void OnProgress(std::uint8_t percent);
    // Four arguments per entry: path, size, code (0 once in place), index from 0.
    void OnSuccess(const Rip& rip);
    // The page code first (1 no disk space, 2 given up or stopped, 0 anything else),
    // then the entries as OnSuccess.
    void OnFail(const Rip& rip, int pageCode);
    void OnLockedFile(const WideString& source, const WideString& target);

private:
    ~RepairView() override = default;
};
