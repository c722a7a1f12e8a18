#pragma once
// A damaged-file list whose replacements have been downloaded into a folder, under the
// same relative paths. Not changed after construction.
#include "base/runtime/RefCounter.h"
#include "base/runtime/String.h"
#include "workflow/repair/Rip.h"

class RipPatch final : public RefCounter {
public:
    RipPatch(Rip* rip, const WideString& folder) : rip_(rip), folder_(folder) {}

    Rip* GetRip() const { return rip_.Get(); }
    const WideString& Folder() const { return folder_; }

private:
    ~RipPatch() override = default;

    RefPtr<Rip> rip_;
    WideString folder_;
};
