#pragma once
// Intrusive strong and weak reference counting.
//
// Every RefCounter object lives on the heap: its class operator new puts the two
// counts in a header in front of the object, so that a weak holder can still read
// them after the object's destructor has run. The block is freed only when the last
// weak reference is gone. Creating a RefCounter object any other way (on the stack,
// as a member by value) is a programming error and aborts.
#include <cstddef>
#include <cstdint>
#include <utility>

class RefBase {
public:
    virtual ~RefBase() = default;

    // Runs the complete object's destructor without freeing its memory and returns
    // the address of the block that holds the complete object.
    void* DestroyInPlace();
};

struct RefCounts {
    std::int32_t strong = 0;  // -1 once the object is dead
    std::int32_t weak = 0;
};

class RefCounter : public RefBase {
public:
    static void* operator new(std::size_t size);
    static void operator delete(void* object);

    static RefCounter* AddRef(RefCounter* object);
    static void Release(RefCounter* object);

    RefCounts& Counts() const { return *counts_; }
    bool IsAlive() const { return counts_->strong >= 0; }

    static RefCounts* CountsOfBlock(void* block);
    static void FreeBlock(RefCounts* counts);

protected:
    RefCounter();
    ~RefCounter() override = default;

private:
    RefCounter(const RefCounter&) = delete;
    RefCounter& operator=(const RefCounter&) = delete;

    static void ReleaseLast(RefCounter* object);

    RefCounts* counts_;
};

template <class T>
class RefPtr {
public:
    RefPtr() = default;
    RefPtr(std::nullptr_t) {}
    RefPtr(T* object) : object_(object) { RefCounter::AddRef(object_); }
    RefPtr(const RefPtr& other) : RefPtr(other.object_) {}
    RefPtr(RefPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    template <class U>
    RefPtr(const RefPtr<U>& other) : RefPtr(other.Get()) {}
    ~RefPtr() { Reset(); }

    // The new target is referenced before the old one is let go, and stored before
    // the release runs, so a destructor reaching this holder never sees a stale pointer.
    RefPtr& operator=(T* object) {
        RefCounter::AddRef(object);
        T* old = std::exchange(object_, object);
        if (old) RefCounter::Release(old);
        return *this;
    }
    RefPtr& operator=(const RefPtr& other) { return *this = other.object_; }
    RefPtr& operator=(RefPtr&& other) noexcept {
        T* incoming = std::exchange(other.object_, nullptr);
        T* old = std::exchange(object_, incoming);
        if (old) RefCounter::Release(old);
        return *this;
    }

    void Reset() {
        if (T* old = std::exchange(object_, nullptr)) RefCounter::Release(old);
    }

    T* Get() const { return object_; }
    T* operator->() const { return object_; }
    T& operator*() const { return *object_; }
    explicit operator bool() const { return object_ != nullptr; }
    friend bool operator==(const RefPtr& a, const RefPtr& b) { return a.object_ == b.object_; }
    friend bool operator==(const RefPtr& a, const T* b) { return a.object_ == b; }

private:
    T* object_ = nullptr;
};

template <class T>
class WeakPtr {
public:
    WeakPtr() = default;
    WeakPtr(std::nullptr_t) {}
    WeakPtr(T* object) { Take(object); }
    WeakPtr(const RefPtr<T>& object) { Take(object.Get()); }
    WeakPtr(const WeakPtr& other) { TakeFrom(other); }
    WeakPtr(WeakPtr&& other) noexcept
        : object_(std::exchange(other.object_, nullptr)), counts_(std::exchange(other.counts_, nullptr)) {}
    ~WeakPtr() { Reset(); }

    WeakPtr& operator=(T* object) {
        WeakPtr incoming(object);
        Swap(incoming);
        return *this;
    }
    WeakPtr& operator=(const WeakPtr& other) {
        WeakPtr incoming(other);
        Swap(incoming);
        return *this;
    }
    WeakPtr& operator=(WeakPtr&& other) noexcept {
        WeakPtr incoming(std::move(other));
        Swap(incoming);
        return *this;
    }

    void Reset() {
        RefCounts* counts = std::exchange(counts_, nullptr);
        object_ = nullptr;
        if (counts && --counts->weak == 0 && counts->strong < 0) RefCounter::FreeBlock(counts);
    }

    // A strong reference while the object lives; null (and an emptied holder) once it is dead.
    RefPtr<T> Lock() {
        if (!counts_) return nullptr;
        if (counts_->strong >= 0) return RefPtr<T>(object_);
        Reset();
        return nullptr;
    }

    bool IsAlive() const { return counts_ && counts_->strong >= 0; }
    bool IsNull() const { return counts_ == nullptr; }
    // The held address, for identity comparisons only; it may point at a dead object.
    T* Peek() const { return object_; }

    void Swap(WeakPtr& other) noexcept {
        std::swap(object_, other.object_);
        std::swap(counts_, other.counts_);
    }

private:
    void Take(T* object) {
        if (!object) return;
        RefCounts& counts = object->Counts();
        if (counts.strong < 0) return;
        ++counts.weak;
        object_ = object;
        counts_ = &counts;
    }
    void TakeFrom(const WeakPtr& other) {
        if (!other.counts_ || other.counts_->strong < 0) return;
        ++other.counts_->weak;
        object_ = other.object_;
        counts_ = other.counts_;
    }

    T* object_ = nullptr;
    RefCounts* counts_ = nullptr;
};
