#pragma once
// What the repair container needs of a repair request: start it, and afterwards take
// the repair set the server handed over.
#include "base/runtime/RefCounter.h"
#include "engine/servers/RipPatchInfo.h"

class IRipRequestFunctor : public RefCounter {
public:
    // Starts the request; false when it cannot start or has already run.
    virtual bool Run() = 0;
    // The repair set once the server has handed it over; null before and after a failure.
    virtual RefPtr<RipPatchInfo> GetResult() = 0;

protected:
    ~IRipRequestFunctor() override = default;
};
