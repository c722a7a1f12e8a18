#pragma once
// A state with children under int keys: a command goes to the children in ascending
// key order until one takes it.
#include <map>

#include "workflow/IState.h"

class MultiState : public IState {
public:
    bool OnCommand(int code, const WideString& argument) override;
    IState* FindState(int id) override;

    // Stores state under key, or clears the key for null; the state held there before
    // is released.
    void SetChild(int key, IState* state);
    IState* GetChild(int key) const;

protected:
    ~MultiState() override;

private:
    std::map<int, RefPtr<IState>> children_;
};
