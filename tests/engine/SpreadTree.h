#pragma once
// A game tree for the checks that run on several threads: many files of varied sizes
// over several folders, large ones among them (late in the list too, so that a pool
// starts them out of order), a mix of content flags, and damage of every kind spread
// through the list. The version file describes the tree before the damage.
#include <string>
#include <utility>
#include <vector>

#include "base/runtime/RefCounter.h"
#include "engine/gamedata/IGameVersion.h"
#include "support/TempDir.h"

class SpreadTree {
public:
    explicit SpreadTree(int format);

    const TempDir& Tree() const { return tree_; }
    int Format() const { return format_; }
    // A fresh version object each time: a full check changes its contents' flags.
    RefPtr<Game::IGameVersion> Version() const;
    // The damaged files in list order, as relative paths with the code a check with the
    // hash comparison forced on gives them.
    const std::vector<std::pair<std::string, int>>& Damaged() const { return damaged_; }
    // Puts a damaged file (relative path) back as the version file describes it.
    void Repair(const std::string& relative) const;

private:
    struct Planned {
        std::string relative;
        std::string bytes;
    };
    void Damage(const Planned& file, int kind);

    TempDir tree_;
    int format_;
    std::string versionBytes_;
    std::vector<Planned> files_;
    std::vector<std::pair<std::string, int>> damaged_;
};
