#pragma once
// A chunk allocator: small blocks are cut from 1 KiB chunks, larger ones get a block
// of their own. Nothing is freed before the arena itself goes.
#include <cstddef>
#include <cstdint>

class Arena {
public:
    static constexpr std::size_t kChunkData = 1024;
    static constexpr std::size_t kAlignment = 16;

    Arena() = default;
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;
    ~Arena();

    // A 16-byte aligned block of n bytes.
    void* Alloc(std::size_t n);

    // Number of blocks (chunks and large blocks) the arena holds.
    std::size_t BlockCount() const;

private:
    struct alignas(kAlignment) Block {
        std::size_t used;  // offset of the next free byte in data
        Block* next;
        // the data follows, aligned to 16
        unsigned char* Data() { return reinterpret_cast<unsigned char*>(this + 1); }
    };

    Block* NewBlock(std::size_t dataSize, Block* next);

    Block* current_ = nullptr;
};
