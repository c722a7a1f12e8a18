#pragma once
// What the version-repair container needs of a full check: start it, and afterwards
// take the damaged files it found.
#include "base/runtime/RefCounter.h"
#include "workflow/repair/Rip.h"

class IFullCheckFunctor : public RefCounter {
public:
    // Starts the check; false when it cannot start or has already run.
    virtual bool Run() = 0;
    // The damaged files once the check has reported them, unless one of them is a
    // module of the running launcher; null otherwise (also while the check runs).
    virtual RefPtr<Rip> GetResult() = 0;

protected:
    ~IFullCheckFunctor() override = default;
};
