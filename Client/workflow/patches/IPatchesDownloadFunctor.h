#pragma once
// What the containers need of a patch download: start it, and afterwards take the
// plan of the downloaded patches.
#include "base/runtime/RefCounter.h"
#include "workflow/patches/MultiPatch.h"

class IPatchesDownloadFunctor : public RefCounter {
public:
    // Starts the download; false when it cannot start or runs already.
    virtual bool Run() = 0;
    // The plan once every torrent has finished; null before.
    virtual RefPtr<CumulativePatch> GetResult() = 0;

protected:
    ~IPatchesDownloadFunctor() override = default;
};
