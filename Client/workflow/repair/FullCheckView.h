#pragma once
// The full check's page events ("FullCheck." module).
#include <cstdint>

#include "workflow/IView.h"
#include "workflow/repair/Rip.h"

class FullCheckView final : public IView {
public:
    explicit FullCheckView(IMainWindow* window) : IView(window) {}

    RefPtr<ITimer> CreateTimer() override;
    void OnStart();
    void OnProgress(std::uint8_t percent);
    void OnSuccess();
    // Four arguments per damaged file: path, size, code, index from 0.
    void OnComplete(const Rip& rip);
    // As OnComplete, for a list that holds a module of the running launcher.
    void OnSystemCrash(const Rip& rip);
    // The version file is missing or invalid.
    void OnFailGameVersion();

private:
    ~FullCheckView() override = default;

    void Send(const char16_t* name);
    void SendEntries(const char16_t* name, const Rip& rip);
};
