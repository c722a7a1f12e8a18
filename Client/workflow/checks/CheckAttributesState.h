#pragma once
// The attribute-check step: it holds its functor and takes no page command. The
// version-update container makes it its step on command 45:
//     SetStep(nullptr);
//     RefPtr<ICheckAttributesFunctor> functor = makeAttributeCheck(window);
//     if (!functor) return false;
//     SetStep(new CheckAttributesState(functor.Get()));
//     return functor->Run();
#include "workflow/IState.h"
#include "workflow/checks/ICheckAttributesFunctor.h"

class CheckAttributesState final : public IState {
public:
    explicit CheckAttributesState(ICheckAttributesFunctor* functor) : functor_(functor) {}

    bool OnCommand(int, const WideString&) override { return false; }

    ICheckAttributesFunctor* Functor() const { return functor_.Get(); }

private:
    ~CheckAttributesState() override = default;

    RefPtr<ICheckAttributesFunctor> functor_;
};
