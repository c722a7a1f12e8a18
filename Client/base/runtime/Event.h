#pragma once
// Listener lists. An event holds its listeners weakly: a listener that died is dropped
// the next time the event fires, so owners and listeners can go in any order.
//
// Firing is safe against everything a listener may do meanwhile: release itself
// (it is kept alive until its call returns), connect or disconnect listeners, fire the
// same event again, or destroy the event's owner and with it the event.
#include <cstddef>
#include <utility>

#include "base/runtime/RefCounter.h"
#include "base/runtime/Vector.h"

class EventBase {
public:
    // The object on which the listener being called runs (one per thread, since
    // events fire on the thread that owns them).
    static void SetCurrentTarget(void* target);
    static void* CurrentTarget();
};

template <class... Args>
class Event : public EventBase {
public:
    using Thunk = bool (*)(void* target, Args... args);

    struct Listener {
        WeakPtr<RefCounter> owner;  // bounds the listener's life; null once disconnected
        void* target;
        Thunk thunk;
    };

    Event() = default;
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;
    ~Event() {
        if (destroyedFlag_) *destroyedFlag_ = true;
    }

    void Add(const Listener& listener) { listeners_.PushBack(listener); }

    // Connects object->*Member; the object is both owner and target.
    template <auto Member, class T>
    void Connect(T* object) {
        Add(Listener{WeakPtr<RefCounter>(object), object, &CallMember<Member, T>});
    }

    // Clears the first entry of owner (and every dead entry before it); entries are
    // erased by the next firing.
    void Disconnect(const RefCounter* owner) {
        for (Listener& listener : listeners_) {
            if (!listener.owner.IsNull() && !listener.owner.IsAlive()) {
                listener.owner.Reset();
            } else if (!listener.owner.IsNull() && listener.owner.Peek() == owner) {
                listener.owner.Reset();
                return;
            }
        }
    }

    // Calls the live listeners present at the start, in order; returns the OR of
    // their results.
    bool Fire(Args... args) {
        bool destroyed = false;
        bool* const outer = std::exchange(destroyedFlag_, &destroyed);
        bool result = false;
        std::size_t remaining = listeners_.Size();
        std::size_t i = 0;
        while (remaining > 0 && i < listeners_.Size()) {
            Listener& entry = listeners_[i];
            RefPtr<RefCounter> keepAlive = entry.owner.IsAlive() ? entry.owner.Lock() : nullptr;
            if (!keepAlive) {
                listeners_.Erase(i);
                --remaining;
                continue;
            }
            void* const target = entry.target;
            const Thunk thunk = entry.thunk;
            SetCurrentTarget(target);
            result = thunk(target, args...) || result;
            keepAlive.Reset();
            if (destroyed) {
                if (outer) *outer = true;
                return result;
            }
            ++i;
            --remaining;
        }
        destroyedFlag_ = outer;
        return result;
    }

    std::size_t Size() const { return listeners_.Size(); }

private:
    template <auto Member, class T>
    static bool CallMember(void* target, Args... args) {
        return (static_cast<T*>(target)->*Member)(args...);
    }

    Vector<Listener> listeners_;
    bool* destroyedFlag_ = nullptr;  // set by the innermost running Fire
};
