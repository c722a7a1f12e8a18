#include "base/runtime/Arena.h"

#include <new>

namespace {
constexpr std::size_t RoundUp(std::size_t n) {
    return (n + Arena::kAlignment - 1) & ~(Arena::kAlignment - 1);
}
}  // namespace

Arena::~Arena() {
    while (current_) {
        Block* next = current_->next;
        ::operator delete(static_cast<void*>(current_));
        current_ = next;
    }
}

Arena::Block* Arena::NewBlock(std::size_t dataSize, Block* next) {
    // The header is a whole number of 16-byte units, so the data right after it is
    // aligned and a chunk really holds kChunkData bytes of data.
    void* raw = ::operator new(sizeof(Block) + dataSize);
    return new (raw) Block{0, next};
}

void* Arena::Alloc(std::size_t n) {
    if (!current_ || current_->used + n >= kChunkData) {
        if (n > kChunkData - kAlignment) {
            if (!current_) current_ = NewBlock(kChunkData, nullptr);
            Block* large = NewBlock(n, current_->next);
            large->used = RoundUp(n);
            current_->next = large;
            return large->Data();
        }
        current_ = NewBlock(kChunkData, current_);
    }
    unsigned char* block = current_->Data() + current_->used;
    current_->used = RoundUp(current_->used + n);
    return block;
}

std::size_t Arena::BlockCount() const {
    std::size_t count = 0;
    for (const Block* block = current_; block; block = block->next) ++count;
    return count;
}
