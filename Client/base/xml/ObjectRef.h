#pragma once
// Holds one reference of a link-counted object (CObjectBase) for as long as it lives.
#include <utility>

#include "base/runtime/ObjectBase.h"

template <class T>
class ObjectRef {
public:
    ObjectRef() = default;
    ObjectRef(T* object) : object_(object) {
        if (object_) object_->AddRef();
    }
    ObjectRef(const ObjectRef& other) : ObjectRef(other.object_) {}
    ObjectRef(ObjectRef&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    ~ObjectRef() { Reset(); }
    ObjectRef& operator=(ObjectRef other) noexcept {
        std::swap(object_, other.object_);
        return *this;
    }

    void Reset() {
        if (T* old = std::exchange(object_, nullptr)) old->Release();
    }
    T* Get() const { return object_; }
    T* operator->() const { return object_; }
    T& operator*() const { return *object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    T* object_ = nullptr;
};
