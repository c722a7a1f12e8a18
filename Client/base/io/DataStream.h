#pragma once
// A stream over one contiguous buffer with a cursor. Positions are held as offsets
// from the buffer start, so every bound check is plain unsigned arithmetic.
//
// Errors are sticky: a read past the data, a failed growth or a failed open sets
// StreamError, and only CMemoryStream::Allocate clears it. A stream without
// StreamWritable refuses every change of its bytes or its size.
//
// A stream over a guarded file mapping also counts as in error once the file was cut
// short under it (the bytes past the cut read as zeros): callers that use Data()
// directly check HasError() after using the bytes.
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "base/io/FileReader.h"
#include "base/io/FileWriter.h"

// The words of a stream's state; CFileStream copies them to and from its inner stream.
struct StreamState {
    std::uint8_t* start = nullptr;
    std::size_t capacity = 0;  // capacityEnd - start
    std::size_t size = 0;      // dataEnd - start
    std::size_t cursor = 0;    // cursor - start
    std::uint32_t flags = 0;
    const std::atomic<bool>* damaged = nullptr;  // a guarded mapping's flag, set once the file was cut
};

class CDataStream : public IFileWriter, public IFileReader {
public:
    enum : std::uint32_t { StreamError = 1, StreamReadable = 2, StreamWritable = 4 };

    bool Write(const void* data, std::size_t length) override;
    bool IsReadable() const override { return (state_.flags & StreamReadable) != 0; }
    std::uint32_t Read(void* destination, std::uint32_t length) override;

    // Moves the cursor; a position past the data extends it with zero bytes (writable streams only).
    bool SetCursor(std::size_t position);
    bool Rewind() { return SetCursor(0); }
    // Cuts or zero-extends the data to exactly size bytes and clamps the cursor to it.
    bool SetSize(std::size_t size);
    // The growth step: the capacity for the cursor's position, keeping keep bytes of data.
    bool Grow(std::size_t keep);

    // Gives the buffer newCapacity bytes, keeping the first keep bytes of data.
    virtual void Reallocate(std::size_t keep, std::size_t newCapacity) = 0;
    virtual void Flush() {}

    std::uint8_t* Data() const { return state_.start; }
    std::size_t Size() const { return state_.size; }
    std::size_t Capacity() const { return state_.capacity; }
    std::size_t Position() const { return state_.cursor; }
    std::size_t Remaining() const { return state_.size - state_.cursor; }
    std::uint32_t Flags() const { return state_.flags; }
    bool HasError() const { return (state_.flags & StreamError) != 0 || IsDamaged(); }
    bool IsWritable() const { return (state_.flags & StreamWritable) != 0; }
    void SetError() { state_.flags |= StreamError; }

    const StreamState& State() const { return state_; }
    void SetState(const StreamState& state) { state_ = state; }

    // The capacity that Grow picks for need bytes; 0 when no buffer can be that large.
    static std::size_t GrowthCapacity(std::size_t need);

protected:
    explicit CDataStream(std::uint32_t mode) { state_.flags = mode; }
    ~CDataStream() override = default;

    bool IsDamaged() const { return state_.damaged && state_.damaged->load(std::memory_order_acquire); }

    StreamState state_;
};
