#pragma once
// What the version-update container needs of an attribute check: start it.
#include <functional>

#include "base/runtime/RefCounter.h"
#include "workflow/IMainWindow.h"

class ICheckAttributesFunctor : public RefCounter {
public:
    // Tells the page the check starts, then starts it; false when it cannot start or
    // has already run.
    virtual bool Run() = 0;

protected:
    ~ICheckAttributesFunctor() override = default;
};

// Makes the attribute check's functor for the window (null when it cannot run).
using AttributeCheckFactory = std::function<RefPtr<ICheckAttributesFunctor>(IMainWindow* window)>;
