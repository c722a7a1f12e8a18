#pragma once
// What the repair step needs of its functor: start the repair, and pass on the page's
// answer to the locked-file question.
#include "base/runtime/RefCounter.h"

class IRepairFunctor : public RefCounter {
public:
    virtual bool Run() = 0;
    // The user gives up on the locked file (8000).
    virtual void Abort() = 0;
    // The user wants the locked file tried again (800).
    virtual void Retry() = 0;

protected:
    ~IRepairFunctor() override = default;
};
