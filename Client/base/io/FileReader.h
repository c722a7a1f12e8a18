#pragma once
// The reading side of a stream; see FileWriter.h for the shared counted base.
#include <cstdint>

#include "base/runtime/RefCounter.h"

class IFileReader : public virtual RefCounter {
public:
    virtual bool IsReadable() const = 0;
    // Copies up to length bytes; a short read zero-fills the rest of the destination.
    virtual std::uint32_t Read(void* destination, std::uint32_t length) = 0;

protected:
    ~IFileReader() override = default;
};
