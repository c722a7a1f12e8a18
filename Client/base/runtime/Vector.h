#pragma once
// The in-house vector. Growth is part of its contract: inserting n elements into a
// vector without room for them reallocates to size + max(size, n) elements.
// Storage comes from the vector's Arena when one is set (and is then never freed),
// else from operator new.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

#include "base/runtime/Arena.h"
#include "base/runtime/RefCounter.h"

template <class T>
class Vector {
public:
    Vector() = default;
    explicit Vector(Arena* arena) : arena_(arena) {}
    Vector(std::size_t count, const T& value) { InsertFill(0, count, value); }
    Vector(const Vector& other) { InsertRange(0, other.begin_, other.end_); }
    Vector(Vector&& other) noexcept { Swap(other); }
    ~Vector() {
        DestroyRange(begin_, end_);
        FreeStorage(begin_);
    }

    Vector& operator=(const Vector& other) {
        if (this != &other) {
            Vector copy(other);
            Clear();
            InsertRange(0, copy.begin_, copy.end_);
        }
        return *this;
    }
    Vector& operator=(Vector&& other) noexcept {
        if (this != &other) {
            Vector taken(std::move(other));
            Swap(taken);
        }
        return *this;
    }

    std::size_t Size() const { return static_cast<std::size_t>(end_ - begin_); }
    std::size_t Capacity() const { return static_cast<std::size_t>(limit_ - begin_); }
    bool Empty() const { return begin_ == end_; }
    T* Data() { return begin_; }
    const T* Data() const { return begin_; }
    T& operator[](std::size_t i) { return begin_[i]; }
    const T& operator[](std::size_t i) const { return begin_[i]; }
    T& Back() { return end_[-1]; }
    T* begin() { return begin_; }
    T* end() { return end_; }
    const T* begin() const { return begin_; }
    const T* end() const { return end_; }

    void PushBack(const T& value) { InsertFill(Size(), 1, value); }
    void PushBack(T&& value) {
        if (end_ == limit_) {
            T moved(std::move(value));
            Grow(1);
            new (end_) T(std::move(moved));
        } else {
            new (end_) T(std::move(value));
        }
        ++end_;
    }

    // Inserts count copies of value before position.
    void InsertFill(std::size_t position, std::size_t count, const T& value) {
        if (count == 0) return;
        if (OwnsAddress(&value)) {
            T copy(value);
            InsertFill(position, count, copy);
            return;
        }
        T* gap = OpenGap(position, count);
        for (std::size_t i = 0; i < count; ++i) new (gap + i) T(value);
    }

    // Inserts [first, last) before position; the range may lie in this vector.
    void InsertRange(std::size_t position, const T* first, const T* last) {
        const std::size_t count = static_cast<std::size_t>(last - first);
        if (count == 0) return;
        if (OwnsAddress(first)) {
            Vector copy;
            copy.InsertRange(0, first, last);
            InsertRange(position, copy.begin_, copy.end_);
            return;
        }
        T* gap = OpenGap(position, count);
        if constexpr (std::is_trivially_copyable_v<T>) {
            std::memcpy(static_cast<void*>(gap), first, count * sizeof(T));
        } else {
            for (std::size_t i = 0; i < count; ++i) new (gap + i) T(first[i]);
        }
    }

    // Removes count elements from position, keeping the order of the rest.
    void Erase(std::size_t position, std::size_t count = 1) {
        if (position >= Size()) return;
        if (count > Size() - position) count = Size() - position;
        T* first = begin_ + position;
        std::move(first + count, end_, first);
        DestroyRange(end_ - count, end_);
        end_ -= count;
    }

    void Reserve(std::size_t capacity) {
        if (capacity > Capacity()) Reallocate(capacity);
    }

    void Resize(std::size_t size) {
        if (size < Size()) {
            DestroyRange(begin_ + size, end_);
            end_ = begin_ + size;
        } else if (size > Size()) {
            const std::size_t count = size - Size();
            T* gap = OpenGap(Size(), count);
            for (std::size_t i = 0; i < count; ++i) new (gap + i) T();
        }
    }

    void Clear() {
        DestroyRange(begin_, end_);
        end_ = begin_;
    }

    void Swap(Vector& other) noexcept {
        std::swap(begin_, other.begin_);
        std::swap(end_, other.end_);
        std::swap(limit_, other.limit_);
        std::swap(arena_, other.arena_);
    }

private:
    bool OwnsAddress(const T* p) const {
        auto address = reinterpret_cast<std::uintptr_t>(p);
        return address >= reinterpret_cast<std::uintptr_t>(begin_) &&
               address < reinterpret_cast<std::uintptr_t>(end_);
    }

    // Makes room for count uninitialised elements at position and returns them.
    T* OpenGap(std::size_t position, std::size_t count) {
        const std::size_t size = Size();
        if (Capacity() - size < count) {
            const std::size_t capacity = size + (size > count ? size : count);
            T* storage = Allocate(capacity);
            if (size > 0) {
                MoveInto(begin_, begin_ + position, storage);
                MoveInto(begin_ + position, end_, storage + position + count);
                DestroyRange(begin_, end_);
            }
            FreeStorage(begin_);  // a cleared vector still owns its old storage
            begin_ = storage;
            end_ = storage + size + count;
            limit_ = storage + capacity;
            return storage + position;
        }
        T* gap = begin_ + position;
        if (position < size) {
            // Shift the tail up by count: the part past the old end is constructed,
            // the rest assigned, from the back.
            T* oldEnd = end_;
            for (T* from = oldEnd; from != gap;) {
                --from;
                T* to = from + count;
                if (to >= oldEnd) {
                    new (to) T(std::move(*from));
                } else {
                    *to = std::move(*from);
                }
            }
            DestroyRange(gap, gap + (count < size - position ? count : size - position));
        }
        end_ += count;
        return gap;
    }

    void Grow(std::size_t count) {
        const std::size_t size = Size();
        Reallocate(size + (size > count ? size : count));
    }

    void Reallocate(std::size_t capacity) {
        const std::size_t size = Size();
        T* storage = Allocate(capacity);
        MoveInto(begin_, end_, storage);
        DestroyRange(begin_, end_);
        FreeStorage(begin_);
        begin_ = storage;
        end_ = storage + size;
        limit_ = storage + capacity;
    }

    T* Allocate(std::size_t capacity) {
        void* raw = arena_ ? arena_->Alloc(capacity * sizeof(T)) : ::operator new(capacity * sizeof(T));
        return static_cast<T*>(raw);
    }
    void FreeStorage(T* storage) {
        if (storage && !arena_) ::operator delete(static_cast<void*>(storage));
    }
    static void MoveInto(T* first, T* last, T* destination) {
        if constexpr (std::is_trivially_copyable_v<T>) {
            if (first != last) std::memcpy(static_cast<void*>(destination), first, (last - first) * sizeof(T));
        } else {
            for (; first != last; ++first, ++destination) new (destination) T(std::move(*first));
        }
    }
    static void DestroyRange(T* first, T* last) {
        if constexpr (!std::is_trivially_destructible_v<T>) {
            for (; first != last; ++first) first->~T();
        }
    }

    T* begin_ = nullptr;
    T* end_ = nullptr;
    T* limit_ = nullptr;
    Arena* arena_ = nullptr;
};

class ByteVector : public Vector<std::uint8_t> {
public:
    using Vector::Vector;

    void InsertZeroed(std::size_t position, std::size_t count) { InsertFill(position, count, 0); }
    void Append(const void* data, std::size_t count) {
        auto* bytes = static_cast<const std::uint8_t*>(data);
        InsertRange(Size(), bytes, bytes + count);
    }
};

using PtrVector = Vector<void*>;
using RefPtrVector = Vector<RefPtr<RefCounter>>;
