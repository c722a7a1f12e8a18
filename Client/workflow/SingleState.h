#pragma once
// A container with one current step: commands go to the step, and the container's
// identifier and lookups are the step's.
#include "workflow/IState.h"

class SingleState : public IState {
public:
    bool OnCommand(int code, const WideString& argument) override;
    int GetId() const override { return step_ ? step_->GetId() : -1; }
    IState* FindState(int id) override { return step_ ? step_->FindState(id) : nullptr; }

    IState* GetStep() const { return step_.Get(); }
    // Replaces the current step (null clears it); the previous step is released.
    void SetStep(IState* step) { step_ = step; }

protected:
    ~SingleState() override = default;

private:
    RefPtr<IState> step_;
};
