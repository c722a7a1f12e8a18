#pragma once
// The read buffer of a checker and the loop that feeds a file's bytes through it.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/gamedata/GameFile.h"

namespace Game {

class ChunkedReader {
public:
    // Reads never go in pieces larger than this, so that a stop request is seen promptly.
    static constexpr std::size_t kMaxPiece = 8u << 20;

    explicit ChunkedReader(std::uint32_t bufferSize);

    // Feeds up to length bytes from offset to sink(data, count), piece by piece, stopping
    // early at a short read or when stop() turns true. True when all length bytes came.
    template <class Sink, class Stop>
    bool Feed(GameFile& file, std::uint64_t offset, std::uint64_t length, Sink sink, Stop stop) {
        if (!EnsureBuffer()) return false;
        while (length > 0) {
            if (stop()) return false;
            const std::size_t want = length < pieceSize_ ? static_cast<std::size_t>(length) : pieceSize_;
            const std::size_t got = file.ReadAt(offset, buffer_.get(), want);
            if (got > 0) sink(buffer_.get(), got);
            if (got != want) return false;
            offset += got;
            length -= got;
        }
        return true;
    }

private:
    bool EnsureBuffer();

    std::size_t pieceSize_;
    std::unique_ptr<std::uint8_t[]> buffer_;
};

}  // namespace Game
