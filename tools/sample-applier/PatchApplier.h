#pragma once
// Applies a patch plan's entries to a game tree, in order. An entry is applied whole or
// not at all: every new file is first written beside its target under a temporary name
// and checked; only when all of an entry's patch files have been staged are they renamed
// into place, the removed files deleted, and the entry's version file installed as
// Profiles/game.version. A failed entry leaves the tree as the previous entry left it.
#include <functional>
#include <string>
#include <vector>

namespace SampleApplier {

// What one plan entry asks for (paths as the plan gives them).
struct PlanEntry {
    std::string version;
    std::string versionFile;
    std::vector<std::string> patchFiles;
};

using Log = std::function<void(const std::string&)>;

// The suffix of staged files; a name ending in it is never a game file.
inline constexpr char kStagedSuffix[] = ".vrz-part";

// root ends with '/'. False with a reason at the first entry that cannot be applied.
bool ApplyEntry(const std::string& root, const PlanEntry& entry, const Log& log, std::string& error);
bool ApplyPlan(const std::string& root, const std::vector<PlanEntry>& plan, const Log& log, std::string& error);

// The version text of root's Profiles/game.version; "" when it is missing or not valid.
std::string InstalledVersion(const std::string& root);

}  // namespace SampleApplier
