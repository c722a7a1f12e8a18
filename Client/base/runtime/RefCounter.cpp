#include "base/runtime/RefCounter.h"

#include <cstdio>
#include <cstdlib>
#include <new>

namespace {
// The counts sit in front of the object, padded so that the object keeps the
// alignment that operator new guarantees.
constexpr std::size_t kHeaderSize = alignof(std::max_align_t);
static_assert(sizeof(RefCounts) <= kHeaderSize);

// The block most recently handed out by RefCounter::operator new on this thread,
// claimed by the RefCounter constructor that runs inside it.
thread_local unsigned char* t_pendingObject = nullptr;
thread_local std::size_t t_pendingSize = 0;
}  // namespace

RefCounter::RefCounter() {
    auto* self = reinterpret_cast<unsigned char*>(this);
    if (!t_pendingObject || self < t_pendingObject || self >= t_pendingObject + t_pendingSize) {
        std::fputs("RefCounter object not created with new\n", stderr);
        std::abort();
    }
    counts_ = CountsOfBlock(t_pendingObject);
    t_pendingObject = nullptr;
}

void* RefBase::DestroyInPlace() {
    void* block = dynamic_cast<void*>(this);
    this->~RefBase();
    return block;
}

void* RefCounter::operator new(std::size_t size) {
    auto* raw = static_cast<unsigned char*>(::operator new(size + kHeaderSize));
    new (raw) RefCounts();
    t_pendingObject = raw + kHeaderSize;
    t_pendingSize = size;
    return t_pendingObject;
}

void RefCounter::operator delete(void* object) {
    if (!object) return;
    FreeBlock(CountsOfBlock(object));
}

RefCounts* RefCounter::CountsOfBlock(void* block) {
    return reinterpret_cast<RefCounts*>(static_cast<unsigned char*>(block) - kHeaderSize);
}

void RefCounter::FreeBlock(RefCounts* counts) {
    ::operator delete(static_cast<void*>(counts));
}

RefCounter* RefCounter::AddRef(RefCounter* object) {
    if (object) ++object->counts_->strong;
    return object;
}

void RefCounter::Release(RefCounter* object) {
    if (!object) return;
    if (--object->counts_->strong <= 0) ReleaseLast(object);
}

void RefCounter::ReleaseLast(RefCounter* object) {
    RefCounts& counts = *object->counts_;
    const std::int32_t weak = counts.weak;
    counts.strong = -1;
    if (weak == 0) {
        delete object;
        return;
    }
    // Hold one weak reference across the destructor, so that weak releases made by
    // the destructor itself cannot free the block under it.
    ++counts.weak;
    object->DestroyInPlace();
    if (--counts.weak == 0) FreeBlock(&counts);
}
