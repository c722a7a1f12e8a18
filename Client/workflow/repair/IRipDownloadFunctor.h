#pragma once
// What the containers need of a repair download: start it, and afterwards take the
// downloaded files.
#include "base/runtime/RefCounter.h"
#include "base/runtime/String.h"
#include "workflow/repair/RipPatch.h"

class IRipDownloadFunctor : public RefCounter {
public:
    // Starts the download; torrentName, when given, receives the repair torrent's name.
    virtual bool Run(WideString* torrentName) = 0;
    // The damaged-file list with the folder of its downloaded files, once the download
    // has finished; null before.
    virtual RefPtr<RipPatch> GetResult() = 0;

protected:
    ~IRipDownloadFunctor() override = default;
};
