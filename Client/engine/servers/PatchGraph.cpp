#include "engine/servers/PatchGraph.h"

namespace {

// No total at or above this is chosen.
constexpr std::int64_t kUnusable = 0x7FFFFFFF;

}  // namespace

PatchGraph::PatchGraph(const PatchesTree& tree) : tree_(tree) {
    const Vector<VersionItem>& versions = tree.versions;
    if (!versions.Empty()) latest_ = versions[versions.Size() - 1].versionNumber;

    // Where each number stands as a version, to tell whether the history only ever
    // patches forward.
    std::vector<std::ptrdiff_t> positionOfNode;
    auto place = [&](std::size_t node) -> std::ptrdiff_t& {
        if (positionOfNode.size() <= node) positionOfNode.resize(node + 1, -1);
        return positionOfNode[node];
    };
    std::vector<std::size_t> selves(versions.Size());
    for (std::size_t i = 0; i < versions.Size(); ++i) {
        selves[i] = NodeOf(versions[i].versionNumber);
        std::ptrdiff_t& position = place(selves[i]);
        if (position >= 0) forwardOnly_ = false;  // a number entered twice
        position = static_cast<std::ptrdiff_t>(i);
    }
    targets_.resize(versions.Size());
    for (std::size_t i = 0; i < versions.Size(); ++i) {
        for (const UpdateItem& update : versions[i].updates) {
            const std::size_t target = NodeOf(update.patchedTo);
            targets_[i].push_back(target);
            const std::ptrdiff_t position = place(target);
            if (position >= 0 && position <= static_cast<std::ptrdiff_t>(i)) forwardOnly_ = false;
        }
    }

    // From the last version to the first, each against the graph as it stands; a
    // number entered again takes the earlier element's choice.
    for (std::size_t i = versions.Size(); i-- > 0;) {
        std::int64_t weight = 0;
        const UpdateItem* choice = ChooseUpdate(i, selves[i], weight);
        Node& node = nodes_[selves[i]];
        node.present = true;
        node.choice = choice;
        node.chainWeight = weight;
        if (choice) {
            const std::size_t at = static_cast<std::size_t>(choice - versions[i].updates.begin());
            node.choiceTarget = targets_[i][at];
        }
    }
}

std::size_t PatchGraph::NodeOf(const WideString& version) {
    if (auto* found = index_.Find(version)) return found->data;
    nodes_.emplace_back();
    index_.Insert(version, nodes_.size() - 1);
    return nodes_.size() - 1;
}

const PatchGraph::Node* PatchGraph::FindNode(const WideString& version) const {
    auto* found = index_.Find(version);
    return found ? &nodes_[found->data] : nullptr;
}

const UpdateItem* PatchGraph::ChooseUpdate(std::size_t position, std::size_t self, std::int64_t& weight) const {
    const Vector<UpdateItem>& updates = tree_.versions[position].updates;
    const UpdateItem* choice = nullptr;
    std::int64_t best = kUnusable;
    for (std::size_t j = 0; j < updates.Size(); ++j) {
        if (updates[j].beaten) continue;
        const std::int64_t total = updates[j].weight + WeightAfter(targets_[position][j], self);
        if (total < best) {  // the first of equal totals stays
            best = total;
            choice = &updates[j];
        }
    }
    weight = choice ? best : 0;
    return choice;
}

std::int64_t PatchGraph::WeightAfter(std::size_t target, std::size_t self) const {
    if (forwardOnly_) {
        // Every version on the chain was entered before and stays as it is.
        const Node& node = nodes_[target];
        return node.present && node.choice ? node.chainWeight : 0;
    }
    const std::uint64_t walk = NewWalk();
    nodes_[self].visit = walk;
    std::int64_t weight = 0;
    for (std::size_t at = target;;) {
        const Node& node = nodes_[at];
        if (node.visit == walk || !node.present || !node.choice) break;
        node.visit = walk;
        weight += node.choice->weight;
        at = node.choiceTarget;
    }
    return weight;
}

const UpdateItem* PatchGraph::ChosenUpdate(const WideString& version) const {
    const Node* node = FindNode(version);
    return node && node->present ? node->choice : nullptr;
}

bool PatchGraph::FindPath(const WideString& installed, Vector<UpdateItem>& updates, const PastAnnounced& stopPast) const {
    updates.Clear();
    const Node* start = FindNode(installed);
    if (!start || !start->present || !start->choice) return installed.Equals(latest_);
    const std::uint64_t walk = NewWalk();
    start->visit = walk;
    const UpdateItem* previous = nullptr;
    const UpdateItem* update = start->choice;
    std::size_t target = start->choiceTarget;
    for (;;) {
        if (stopPast && stopPast(update->patchedTo)) break;
        if (previous && previous->varaRurezodID != update->varaRurezodID) break;
        const Node& next = nodes_[target];
        if (next.visit == walk) break;  // back onto the chain: it ends where it would turn
        updates.PushBack(*update);
        next.visit = walk;
        if (!next.present || !next.choice) break;
        previous = update;
        update = next.choice;
        target = next.choiceTarget;
    }
    return true;
}
