#pragma once
// The repair road as one container: the full check finds the damaged files, then the
// repair request, the repair download and the repair itself, each started by its own
// page command once the previous step has reported. The container keeps the damaged
// files of the last full check for the steps after it. Only the full check exists yet:
// the commands of the later steps take the check's result and answer false.
#include <functional>

#include "workflow/IMainWindow.h"
#include "workflow/SingleState.h"
#include "workflow/repair/IFullCheckFunctor.h"

class VersionRepairState final : public SingleState {
public:
    // Makes the full check's functor for the window (null when it cannot run).
    using FullCheckFactory = std::function<RefPtr<IFullCheckFunctor>(IMainWindow* window)>;

    explicit VersionRepairState(IMainWindow* window, FullCheckFactory makeFullCheck = DefaultFullCheck());

    bool OnCommand(int code, const WideString& argument) override;

    // The damaged files handed on from the last full check; null when there were none.
    Rip* KeptRip() const { return rip_.Get(); }

    // The real full check: its view on the window, the run's parameters.
    static FullCheckFactory DefaultFullCheck();

private:
    ~VersionRepairState() override = default;

    bool StartFullCheck();
    bool StartRipRequest(bool versionFileOnly);
    bool StartRipDownload();
    bool StartRepair();

    IMainWindow* window_;
    FullCheckFactory makeFullCheck_;
    RefPtr<Rip> rip_;
};
