#pragma once
// A stream that owns its buffer on the heap; readable and writable.
#include "base/io/DataStream.h"

class CMemoryStream : public CDataStream {
public:
    CMemoryStream();
    ~CMemoryStream() override;

    void Reallocate(std::size_t keep, std::size_t newCapacity) override;
    // Replaces the buffer by exactly size bytes of data (contents undefined until
    // written), cursor at the start, mode reset (this clears StreamError). False when
    // the memory is not available; the stream is then empty and in error.
    bool Allocate(std::size_t size);
};
