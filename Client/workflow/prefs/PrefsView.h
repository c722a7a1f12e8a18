#pragma once
// The preferences' page events ("Prefs." module, and the demo state, background
// download and login that the page shows beside them).
#include "workflow/IView.h"
#include "workflow/prefs/DisplayModes.h"
#include "workflow/prefs/PrefsRecord.h"

class PrefsView final : public IView {
public:
    explicit PrefsView(IMainWindow* window) : IView(window) {}

    RefPtr<ITimer> CreateTimer() override { return RefPtr<ITimer>(); }
    // "Prefs.OnLoad": each field as current then default (flags "1"/"0", numbers
    // "%d", limits as their whole kB/s), then the text of every mode in list order.
    // Then "App.SetDemoState", "App.SetDownloadFullState" and "Launcher.SetLogin".
    void OnLoad(const PrefsRecord& current, const PrefsRecord& defaults, const DisplayModes& modes,
                bool downloadFullBackground, std::int32_t demoState, const WideString& login);
    // No display mode of at least 800 by 600 exists.
    void OnError();
    void OnApply();
    void OnReset();
    void SetDownloadFullState(bool flag);

private:
    ~PrefsView() override = default;

    void Send(const char16_t* name, const WideStringVector& arguments = WideStringVector());
};
