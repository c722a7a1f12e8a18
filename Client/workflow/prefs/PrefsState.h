#pragma once
// The preferences' state: reset (201), apply (202) and the full version's background
// download switch (5000).
#include "workflow/IState.h"
#include "workflow/prefs/PrefsFunctor.h"

class PrefsState final : public IState {
public:
    explicit PrefsState(PrefsFunctor* functor) : functor_(functor) {}

    bool OnCommand(int code, const WideString& argument) override;
    // The page's nine fields; false, changing nothing, when there are not nine.
    bool Apply(const WideString& argument);

private:
    ~PrefsState() override = default;

    RefPtr<PrefsFunctor> functor_;
};
