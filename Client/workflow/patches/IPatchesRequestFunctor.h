#pragma once
// What the containers need of a patch request: start it, and afterwards take the
// patches it found.
#include "base/runtime/RefCounter.h"
#include "engine/servers/PatchInfo.h"

class IPatchesRequestFunctor : public RefCounter {
public:
    // Starts the request; false when it cannot start or is already running.
    virtual bool Run() = 0;
    // The patches once the server has handed them over; null before.
    virtual RefPtr<PatchInfos> GetResult() = 0;

protected:
    ~IPatchesRequestFunctor() override = default;
};
