#pragma once
// Where the repair worker reports. The worker calls these from its own thread; the
// implementer guards what they touch. Exactly one SetSuccess or SetFailed ends a run.
#include <cstdint>

#include "base/runtime/String.h"

class IRepairer {
public:
    // The folder the entries' relative paths are placed under.
    virtual WideString GetGameFolder() = 0;
    virtual void SetProgress(std::uint8_t percent) = 0;
    // Every entry is in place.
    virtual void SetSuccess() = 0;
    // One of RepairThread's failure codes.
    virtual void SetFailed(int code) = 0;
    // Blocks until the user answers whether to try the locked target again; true: retry.
    virtual bool AskLockedFile(const WideString& source, const WideString& target) = 0;

protected:
    ~IRepairer() = default;
};
