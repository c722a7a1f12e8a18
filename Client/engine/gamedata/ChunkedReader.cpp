#include "engine/gamedata/ChunkedReader.h"

#include <algorithm>
#include <bit>
#include <new>

namespace Game {

ChunkedReader::ChunkedReader(std::uint32_t bufferSize)
    : pieceSize_(bufferSize == 0 ? 1 : (bufferSize < kMaxPiece ? bufferSize : kMaxPiece)) {}

bool ChunkedReader::EnsureBuffer(std::uint64_t length) {
    // Allocated when first needed, no larger than the reads need, and left
    // uninitialised: most checks read small files or none at all. It grows by powers
    // of two, so files of growing sizes cost few allocations.
    const std::size_t wanted = length < pieceSize_ ? std::bit_ceil(static_cast<std::size_t>(length)) : pieceSize_;
    if (buffer_ && capacity_ >= wanted) return true;
    const std::size_t size = std::min(std::max<std::size_t>(wanted, 1), pieceSize_);
    buffer_.reset(new (std::nothrow) std::uint8_t[size]);
    capacity_ = buffer_ ? size : 0;
    return buffer_ != nullptr;
}

}  // namespace Game
