#include "engine/gamedata/ChunkedReader.h"

#include <new>

namespace Game {

ChunkedReader::ChunkedReader(std::uint32_t bufferSize)
    : pieceSize_(bufferSize == 0 ? 1 : (bufferSize < kMaxPiece ? bufferSize : kMaxPiece)) {}

bool ChunkedReader::EnsureBuffer() {
    // Allocated on first use and left uninitialised: most checks never read a byte.
    if (!buffer_) buffer_.reset(new (std::nothrow) std::uint8_t[pieceSize_]);
    return buffer_ != nullptr;
}

}  // namespace Game
