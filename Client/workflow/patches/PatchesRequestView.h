#pragma once
// The patch request's page events ("Patching." module).
#include "engine/servers/PatchInfo.h"
#include "workflow/IView.h"

class PatchesRequestView final : public IView {
public:
    explicit PatchesRequestView(IMainWindow* window) : IView(window) {}

    RefPtr<ITimer> CreateTimer() override;
    // The window's title shows the installed version too.
    void OnRequest(const WideString& installedVersion);
    // "true"/"false" for tooOld, then the version each patch leads to, in chain order.
    void OnAnswer(const PatchInfos& patches, bool tooOld);
    // Nothing to download; tells whether a future patch can still be fetched.
    void OnResponse();
    void OnUpdateLauncher();
    void OnServerError(int code);
    void OnLogicError(int code);

private:
    ~PatchesRequestView() override = default;

    void Send(const char16_t* name, const WideStringVector& arguments);
};
