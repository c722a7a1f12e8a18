#include "base/io/DataStream.h"

#include <cstdint>
#include <cstring>

namespace {
constexpr std::size_t kPage = 4096;
constexpr std::size_t kLargestStep = 1048576;
// Keeps offsets far from overflow when they are added to a buffer address.
constexpr std::size_t kLargestBuffer = static_cast<std::size_t>(PTRDIFF_MAX) / 2;
}  // namespace

std::size_t CDataStream::GrowthCapacity(std::size_t need) {
    if (need > kLargestBuffer) return 0;
    std::size_t capacity = need < kLargestStep ? 2 * need : need + kLargestStep;
    if (capacity <= kPage) capacity = kPage;
    return capacity / kPage * kPage;
}

bool CDataStream::Grow(std::size_t keep) {
    if ((state_.flags & StreamError) || !(state_.flags & StreamWritable)) {
        state_.cursor = state_.size = keep;
        state_.flags |= StreamError;
        return false;
    }
    const std::size_t capacity = GrowthCapacity(state_.cursor);
    if (capacity == 0) {
        state_.cursor = state_.size = keep;
        state_.flags |= StreamError;
        return false;
    }
    Reallocate(keep, capacity);
    return !(state_.flags & StreamError);
}

bool CDataStream::Write(const void* data, std::size_t length) {
    if (!(state_.flags & StreamWritable) || length > kLargestBuffer - state_.cursor) {
        state_.flags |= StreamError;
        return false;
    }
    const std::size_t oldEnd = state_.size;
    const std::size_t end = state_.cursor + length;
    state_.cursor = end;
    if (end > state_.size) {
        state_.size = end;
        if (end > state_.capacity && !Grow(oldEnd)) return false;
    }
    if (length) std::memcpy(state_.start + end - length, data, length);
    return true;
}

std::uint32_t CDataStream::Read(void* destination, std::uint32_t length) {
    auto* out = static_cast<std::uint8_t*>(destination);
    const std::size_t available = state_.size - state_.cursor;
    const std::size_t count = length <= available ? length : available;
    if (count && out) std::memcpy(out, state_.start + state_.cursor, count);
    state_.cursor += count;
    if (IsDamaged()) {
        // The copy may hold the zeros that stand in for a cut-off part of the file.
        if (out) std::memset(out, 0, length);
        state_.flags |= StreamError;
        return 0;
    }
    if (count < length) {
        if (out) std::memset(out + count, 0, length - count);
        state_.flags |= StreamError;
    }
    return static_cast<std::uint32_t>(count);
}

bool CDataStream::SetCursor(std::size_t position) {
    if (position <= state_.size) {
        state_.cursor = position;
        return true;
    }
    if (!(state_.flags & StreamWritable) || position > kLargestBuffer) {
        state_.cursor = state_.size;
        state_.flags |= StreamError;
        return false;
    }
    const std::size_t oldEnd = state_.size;
    state_.cursor = state_.size = position;
    if (position > state_.capacity && !Grow(oldEnd)) return false;
    std::memset(state_.start + oldEnd, 0, position - oldEnd);
    return true;
}

bool CDataStream::SetSize(std::size_t size) {
    if (!(state_.flags & StreamWritable)) {
        state_.flags |= StreamError;
        return false;
    }
    const std::size_t oldCursor = state_.cursor;
    if (!SetCursor(size)) return false;
    state_.size = size;
    state_.cursor = oldCursor < size ? oldCursor : size;
    return true;
}
