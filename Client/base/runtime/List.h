#pragma once
// A circular doubly linked list of values with a sentinel node. Nodes come from the
// list's Arena when one is set (and are then never freed one by one).
#include <new>
#include <utility>

#include "base/runtime/Arena.h"

template <class T>
class List {
public:
    explicit List(Arena* arena = nullptr) : arena_(arena) { sentinel_.next = sentinel_.prev = &sentinel_; }
    List(const List&) = delete;
    List& operator=(const List&) = delete;
    ~List() {
        while (!Empty()) PopFront();
    }

    bool Empty() const { return sentinel_.next == &sentinel_; }
    T& Front() { return static_cast<Node*>(sentinel_.next)->value; }

    void PushBack(T value) {
        void* raw = arena_ ? arena_->Alloc(sizeof(Node)) : ::operator new(sizeof(Node));
        Node* node = new (raw) Node{{sentinel_.prev, &sentinel_}, std::move(value)};
        sentinel_.prev->next = node;
        sentinel_.prev = node;
    }

    T PopFront() {
        Node* node = static_cast<Node*>(sentinel_.next);
        node->prev->next = node->next;
        node->next->prev = node->prev;
        T value = std::move(node->value);
        node->~Node();
        if (!arena_) ::operator delete(static_cast<void*>(node));
        return value;
    }

private:
    struct Link {
        Link* prev;
        Link* next;
    };
    struct Node : Link {
        T value;
    };

    Link sentinel_;
    Arena* arena_;
};
