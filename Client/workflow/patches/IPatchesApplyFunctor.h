#pragma once
// What the container needs of a patch apply: run it.
#include "base/runtime/RefCounter.h"

class IPatchesApplyFunctor : public RefCounter {
public:
    // Puts the applier and the plan in place and closes the window; false when either
    // could not be put in place (the window then stays open).
    virtual bool Run() = 0;

protected:
    ~IPatchesApplyFunctor() override = default;
};
