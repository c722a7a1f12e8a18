#pragma once
// Where a file-check worker reports. The worker calls these from its own thread; the
// implementer guards what they touch. Exactly one SetSuccess or SetFailed ends a run.
#include <cstdint>

class Rip;

class IChecker {
public:
    virtual void SetProgress(std::uint8_t percent) = 0;
    // Every file looked at is valid.
    virtual void SetSuccess() = 0;
    // The damaged files; the implementer takes its own strong reference.
    virtual void SetFailed(Rip* rip) = 0;

protected:
    ~IChecker() = default;
};
