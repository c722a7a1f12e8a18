#pragma once
// The read buffer of a checker and the loop that feeds a file's bytes through it.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/gamedata/GameFile.h"

namespace Game {

class ChunkedReader {
public:
    // Reads never go in pieces larger than this: a piece stays in the processor's cache
    // between the copy and the hash, and a stop or pause is seen within one piece.
    static constexpr std::size_t kMaxPiece = 1u << 20;
    // Smaller pieces leave the fetching ahead to the kernel's own read-ahead.
    static constexpr std::size_t kPrefetchFrom = 64u << 10;

    explicit ChunkedReader(std::uint32_t bufferSize);

    // Feeds up to length bytes from offset to sink(data, count), piece by piece, stopping
    // early at a short read or when stop() turns true. True when all length bytes came.
    // While a piece is hashed the kernel already fetches the next one.
    template <class Sink, class Stop>
    bool Feed(GameFile& file, std::uint64_t offset, std::uint64_t length, Sink sink, Stop stop) {
        if (!EnsureBuffer(length)) return false;
        if (length > pieceSize_) file.AdviseSequential();
        while (length > 0) {
            if (stop()) return false;
            const std::size_t want = length < pieceSize_ ? static_cast<std::size_t>(length) : pieceSize_;
            const std::size_t got = file.ReadAt(offset, buffer_.get(), want);
            if (got == want && length > want && pieceSize_ >= kPrefetchFrom) {
                file.Prefetch(offset + want, length - want < pieceSize_ ? length - want : pieceSize_);
            }
            if (got > 0) sink(buffer_.get(), got);
            if (got != want) return false;
            offset += got;
            length -= got;
        }
        return true;
    }

private:
    // Room for the next piece of a read of length bytes.
    bool EnsureBuffer(std::uint64_t length);

    std::size_t pieceSize_;
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::size_t capacity_ = 0;
};

}  // namespace Game
