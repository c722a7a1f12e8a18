#pragma once
// The locale's page events ("Locale." module).
#include "workflow/IView.h"

class LocaleView final : public IView {
public:
    explicit LocaleView(IMainWindow* window) : IView(window) {}

    RefPtr<ITimer> CreateTimer() override { return RefPtr<ITimer>(); }
    // "Locale.SetMainSite" first when mainSite is not empty, then "Locale.OnLoad".
    void OnLoad(const WideString& locale, const WideString& mainSite);

private:
    ~LocaleView() override = default;
};
