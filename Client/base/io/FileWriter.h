#pragma once
// The writing side of a stream. RefCounter is a shared base, so an object that is
// both a reader and a writer has one pair of counts, whichever interface holds it.
#include <cstddef>

#include "base/runtime/RefCounter.h"

class IFileWriter : public virtual RefCounter {
public:
    virtual bool Write(const void* data, std::size_t length) = 0;

protected:
    ~IFileWriter() override = default;
};
