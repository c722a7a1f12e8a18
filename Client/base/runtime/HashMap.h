#pragma once
// A chained hash map keyed by String or WideString. Its table order is part of its
// contract (saved configuration files list their keys in it), so the hash, the
// bucket counts and the rehash order are fixed.
#include <cstddef>
#include <cstdint>
#include <utility>

#include "base/runtime/String.h"
#include "base/runtime/Vector.h"

namespace HashMapDetail {
extern const std::uint32_t kPrimeTable[30];

// The first table entry >= n, or the last entry when n is larger than all.
std::uint32_t BucketCountFor(std::uint64_t n);

// h = 5h + c over the units; narrow units are sign-extended bytes.
std::uint32_t HashKey(const String& key);
std::uint32_t HashKey(const WideString& key);
}  // namespace HashMapDetail

template <class Key, class Data>
class HashMap {
public:
    struct Node {
        Node* next;
        Key key;
        Data data;
    };

    explicit HashMap(std::size_t initialSize = 0) { Init(initialSize); }
    HashMap(const HashMap&) = delete;
    HashMap& operator=(const HashMap&) = delete;
    ~HashMap() { FreeNodes(); }

    void Init(std::size_t initialSize) {
        initialSize_ = initialSize;
        count_ = 0;
        buckets_ = PtrVector(HashMapDetail::BucketCountFor(initialSize), nullptr);
    }

    Node* Find(const Key& key) const {
        for (Node* node = Head(BucketOf(key)); node; node = node->next) {
            if (node->key.Equals(key)) return node;
        }
        return nullptr;
    }

    // Does not look for an equal key: callers Find first.
    Node* Insert(const Key& key, Data data) {
        Rehash(count_ + 1);
        const std::size_t bucket = BucketOf(key);
        Node* node = new Node{Head(bucket), key, std::move(data)};
        buckets_[bucket] = node;
        ++count_;
        return node;
    }

    std::size_t Erase(const Key& key) {
        const std::size_t bucket = BucketOf(key);
        Node* first = Head(bucket);
        if (!first) return 0;
        std::size_t removed = 0;
        for (Node* previous = first; previous->next;) {
            Node* node = previous->next;
            if (node->key.Equals(key)) {
                previous->next = node->next;
                delete node;
                ++removed;
            } else {
                previous = node;
            }
        }
        if (first->key.Equals(key)) {
            buckets_[bucket] = first->next;
            delete first;
            ++removed;
        }
        count_ -= removed;
        return removed;
    }

    void Clear() {
        FreeNodes();
        Init(initialSize_);
    }

    void Rehash(std::size_t hint) {
        if (hint <= BucketCount()) return;
        const std::uint32_t newCount = HashMapDetail::BucketCountFor(hint);
        if (newCount <= BucketCount()) return;
        PtrVector fresh(newCount, nullptr);
        for (std::size_t b = 0; b < BucketCount(); ++b) {
            while (Node* node = Head(b)) {
                buckets_[b] = node->next;
                const std::size_t target = HashMapDetail::HashKey(node->key) % newCount;
                node->next = static_cast<Node*>(fresh[target]);
                fresh[target] = node;
            }
        }
        buckets_.Swap(fresh);
    }

    // Iteration: buckets in ascending order, each chain from its front.
    Node* First() const { return FirstFrom(0); }
    Node* Next(const Node* node) const {
        if (node->next) return node->next;
        return FirstFrom(BucketOf(node->key) + 1);
    }

    std::size_t Count() const { return count_; }
    std::size_t BucketCount() const { return buckets_.Size(); }

private:
    std::size_t BucketOf(const Key& key) const { return HashMapDetail::HashKey(key) % BucketCount(); }
    Node* Head(std::size_t bucket) const { return static_cast<Node*>(buckets_[bucket]); }
    Node* FirstFrom(std::size_t bucket) const {
        for (; bucket < BucketCount(); ++bucket) {
            if (Node* node = Head(bucket)) return node;
        }
        return nullptr;
    }
    void FreeNodes() {
        for (std::size_t b = 0; b < BucketCount(); ++b) {
            for (Node* node = Head(b); node;) {
                Node* next = node->next;
                delete node;
                node = next;
            }
            buckets_[b] = nullptr;
        }
        count_ = 0;
    }

    PtrVector buckets_;
    std::size_t count_ = 0;
    std::size_t initialSize_ = 0;
};
