#pragma once
// The locale feature's state: it takes the page's save command (100) only.
#include "workflow/IState.h"
#include "workflow/PageCommands.h"
#include "workflow/locale/LocaleFunctor.h"

class LocaleState final : public IState {
public:
    explicit LocaleState(LocaleFunctor* functor) : functor_(functor) {}

    bool OnCommand(int code, const WideString& argument) override {
        return code == PageCommand::LocaleSave && functor_->Save(argument);
    }

private:
    ~LocaleState() override = default;

    RefPtr<LocaleFunctor> functor_;
};
