#pragma once
// The link-counted root of the XML object graphs. An object counts its outside
// holders (references) and the links that other objects of its graph hold to it.
// Losing the last link while still held clears the object (drops its own links, which
// breaks cycles); losing both destroys it. A destruction or clear requested while
// another one runs is queued and run, first in first out, when that one returns.
#include <cstddef>
#include <cstdint>

class CObjectBase {
public:
    static constexpr std::uint32_t kClearedBit = 0x80000000u;
    static constexpr std::uint32_t kLinkMask = 0x7FFFFFFFu;

    CObjectBase() = default;
    CObjectBase(const CObjectBase&) = delete;
    CObjectBase& operator=(const CObjectBase&) = delete;
    virtual ~CObjectBase() = default;

    // Brings the object back to its newly constructed state while keeping both counts.
    virtual void Clear() = 0;
    virtual std::size_t GetSize() const = 0;

    void AddRef() { ++references_; }
    void Release();
    void AddLink() { ++linkWord_; }
    void ReleaseLink(std::uint32_t n = 1, std::uint32_t mask = kLinkMask);

    std::uint32_t LinkCount() const { return linkWord_ & kLinkMask; }
    bool IsCleared() const { return (linkWord_ & kClearedBit) != 0; }
    std::int32_t References() const { return references_; }

protected:
    // For Clear implementations that rebuild the object: the counts to carry over.
    struct Counts {
        std::uint32_t linkWord;
        std::int32_t references;
    };
    Counts SaveCounts() const { return {linkWord_, references_}; }
    void RestoreCounts(Counts counts) {
        linkWord_ += counts.linkWord;
        references_ += counts.references;
    }

private:
    static void Destroy(CObjectBase* object);
    static void DrainPending();

    std::uint32_t linkWord_ = 0;
    std::int32_t references_ = 0;
};
