#pragma once
// The chosen patch of every version of a history: the one whose own weight plus the
// weights of the patches chosen after it is least. Versions are chosen from the last
// to the first, so a chain runs through versions that come later in the document; a
// chain ends at a version that is not in the history, has no choice, or is already on
// the chain (a history can lead in a circle). The graph refers to its tree's records
// and lives for one query.
#include <cstdint>
#include <vector>

#include "base/runtime/HashMap.h"
#include "engine/servers/PatchesTree.h"

class PatchGraph {
public:
    explicit PatchGraph(const PatchesTree& tree);
    PatchGraph(const PatchGraph&) = delete;
    PatchGraph& operator=(const PatchGraph&) = delete;

    // The last element's version number; empty for a history without versions.
    const WideString& Latest() const { return latest_; }
    // The chosen patch of a version; null when the version is unknown or has none.
    const UpdateItem* ChosenUpdate(const WideString& version) const;
    // The chain from installed (see PatchesTree::FindPath).
    bool FindPath(const WideString& installed, Vector<UpdateItem>& updates, const PastAnnounced& stopPast) const;

private:
    struct Node {
        bool present = false;              // the version has been entered
        const UpdateItem* choice = nullptr;
        std::size_t choiceTarget = 0;      // the node choice leads to
        std::int64_t chainWeight = 0;      // choice's weight and those chosen after it, when entered
        mutable std::uint64_t visit = 0;   // the last walk that passed here
    };

    // The node of a version number, made when first named (by a version or a patch).
    std::size_t NodeOf(const WideString& version);
    const Node* FindNode(const WideString& version) const;
    // The cheapest usable patch of the version at position, with its chain's weight.
    const UpdateItem* ChooseUpdate(std::size_t position, std::size_t self, std::int64_t& weight) const;
    std::int64_t WeightAfter(std::size_t target, std::size_t self) const;
    std::uint64_t NewWalk() const { return ++walks_; }

    const PatchesTree& tree_;

    WideString latest_;
    HashMap<WideString, std::size_t> index_;
    std::vector<Node> nodes_;
    // Each update's target node, in the tree's order.
    std::vector<std::vector<std::size_t>> targets_;
    // Whether every patch leads to a version entered before its own (or to none) and
    // no number is entered twice: then a chain's weight, once known, never changes.
    bool forwardOnly_ = true;
    mutable std::uint64_t walks_ = 0;
};
