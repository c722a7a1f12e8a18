#include "base/io/MemoryStream.h"

#include <cstdlib>
#include <cstring>

CMemoryStream::CMemoryStream() : CDataStream(StreamReadable | StreamWritable) { Reallocate(0, 32); }

CMemoryStream::~CMemoryStream() { std::free(state_.start); }

void CMemoryStream::Reallocate(std::size_t keep, std::size_t newCapacity) {
    auto* buffer = newCapacity ? static_cast<std::uint8_t*>(std::malloc(newCapacity)) : nullptr;
    if (newCapacity && !buffer) {
        std::free(state_.start);
        state_ = StreamState{nullptr, 0, 0, 0, state_.flags | StreamError};
        return;
    }
    if (keep > state_.size) keep = state_.size;
    if (keep > newCapacity) keep = newCapacity;
    if (keep) std::memcpy(buffer, state_.start, keep);
    std::free(state_.start);
    state_.start = buffer;
    state_.capacity = newCapacity;
    if (state_.size > newCapacity) state_.size = newCapacity;
    if (state_.cursor > state_.size) state_.cursor = state_.size;
}

bool CMemoryStream::Allocate(std::size_t size) {
    std::free(state_.start);
    auto* buffer = size ? static_cast<std::uint8_t*>(std::malloc(size)) : nullptr;
    if (size && !buffer) {
        state_ = StreamState{nullptr, 0, 0, 0, StreamError | StreamReadable | StreamWritable};
        return false;
    }
    state_ = StreamState{buffer, size, size, 0, StreamReadable | StreamWritable};
    return true;
}
