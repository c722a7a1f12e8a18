#pragma once
// The view of a feature: one operation per page event of the feature, sent through
// the main window, which it points to without owning.
#include "base/runtime/RefCounter.h"
#include "base/runtime/Timer.h"
#include "workflow/IMainWindow.h"

class IView : public RefCounter {
public:
    // The feature's window timer, stopped; null for features without periodic work.
    virtual RefPtr<ITimer> CreateTimer() = 0;

protected:
    explicit IView(IMainWindow* window) : window_(window) {}
    ~IView() override = default;

    // A timer on the main window with one of the identifiers of StateIds.h.
    RefPtr<ITimer> CreateWindowTimer(int timerId) const {
        return window_ ? RefPtr<ITimer>(Timer::Create(timerId, window_->Timers())) : RefPtr<ITimer>();
    }

    IMainWindow* window_;
};
