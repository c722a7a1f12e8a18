#pragma once
// What the version-update container needs of an initial check: run it.
#include <functional>

#include "base/runtime/RefCounter.h"
#include "workflow/IMainWindow.h"

class IInitialCheckFunctor : public RefCounter {
public:
    // Checks a plan left in the patches folder; the outcome reaches the page later.
    virtual bool Run() = 0;

protected:
    ~IInitialCheckFunctor() override = default;
};

// Makes the initial check's functor for the window (null when it cannot run).
using InitialCheckFactory = std::function<RefPtr<IInitialCheckFunctor>(IMainWindow* window)>;
