#include "workflow/SingleState.h"

bool SingleState::OnCommand(int code, const WideString& argument) {
    // The step may replace itself through this container, or release the container.
    RefPtr<SingleState> self(this);
    RefPtr<IState> step = step_;
    return step ? step->OnCommand(code, argument) : false;
}
