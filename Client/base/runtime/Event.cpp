#include "base/runtime/Event.h"

namespace {
thread_local void* t_currentTarget = nullptr;
}

void EventBase::SetCurrentTarget(void* target) { t_currentTarget = target; }

void* EventBase::CurrentTarget() { return t_currentTarget; }
