#include "base/runtime/Allocator.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
// Plain atomics with constant initialisation: no lock to create, none to destroy
// while late frees still run at exit.
std::atomic<std::int64_t> g_liveBlocks{0};
std::atomic<std::int64_t> g_trims{0};

void* Allocate(std::size_t size) {
    void* block = std::malloc(size ? size : 1);
    if (!block) throw std::bad_alloc();
    g_liveBlocks.fetch_add(1, std::memory_order_relaxed);
    return block;
}

void* AllocateNoThrow(std::size_t size) noexcept {
    void* block = std::malloc(size ? size : 1);
    if (block) g_liveBlocks.fetch_add(1, std::memory_order_relaxed);
    return block;
}

void Free(void* block) noexcept {
    // A null release frees nothing and counts nothing, so the count stays the number
    // of live blocks.
    if (!block) return;
    std::free(block);
    if (g_liveBlocks.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        malloc_trim(0);
        g_trims.fetch_add(1, std::memory_order_relaxed);
    }
}
}  // namespace

namespace Allocator {
std::int64_t LiveBlocks() { return g_liveBlocks.load(); }
std::int64_t TrimCount() { return g_trims.load(); }
}  // namespace Allocator

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return AllocateNoThrow(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return AllocateNoThrow(size); }
void operator delete(void* block) noexcept { Free(block); }
void operator delete[](void* block) noexcept { Free(block); }
void operator delete(void* block, std::size_t) noexcept { Free(block); }
void operator delete[](void* block, std::size_t) noexcept { Free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Free(block); }
