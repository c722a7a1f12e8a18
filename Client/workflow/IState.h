#pragma once
// A state of the launcher's workflow: it decides which page commands it takes. States
// form a tree under MainState; a parent owns its children by strong references.
#include "base/runtime/RefCounter.h"
#include "base/runtime/String.h"

class IState : public RefCounter {
public:
    // True when this state took the command.
    virtual bool OnCommand(int code, const WideString& argument) = 0;
    // The fixed identifier of a step whose result a later step takes; -1 for the rest.
    virtual int GetId() const { return -1; }
    // The state of that identifier in this subtree (not a new reference), or null.
    virtual IState* FindState(int id) { return GetId() == id ? this : nullptr; }

protected:
    ~IState() override = default;
};
