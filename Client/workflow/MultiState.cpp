#include "workflow/MultiState.h"

#include <utility>

MultiState::~MultiState() {
    // Children let go one by one, so that a destructor reaching back finds a sound map.
    while (!children_.empty()) SetChild(children_.begin()->first, nullptr);
}

bool MultiState::OnCommand(int code, const WideString& argument) {
    // A child may release its parent, or replace and release its siblings, during the
    // call: this state and the child being asked are held for it, and the walk goes on
    // from the next key in the map as it is then.
    RefPtr<MultiState> self(this);
    for (auto next = children_.begin(); next != children_.end();) {
        const int key = next->first;
        RefPtr<IState> child = next->second;
        if (child && child->OnCommand(code, argument)) return true;
        next = children_.upper_bound(key);
    }
    return false;
}

IState* MultiState::FindState(int id) {
    for (auto& [key, child] : children_)
        if (IState* found = child ? child->FindState(id) : nullptr) return found;
    return nullptr;
}

void MultiState::SetChild(int key, IState* state) {
    RefPtr<IState> previous;
    auto found = children_.find(key);
    if (found != children_.end()) {
        previous = std::move(found->second);
        children_.erase(found);
    }
    // The old state goes before the new one is stored, as a replacement must.
    previous.Reset();
    if (state) children_[key] = state;
}

IState* MultiState::GetChild(int key) const {
    auto found = children_.find(key);
    return found == children_.end() ? nullptr : found->second.Get();
}
