#pragma once
// Makes sample patches: the difference between two game trees as a sample patch file.
#include <string>
#include <vector>

namespace SamplePatch {

struct MakeRequest {
    std::string fromTree, toTree;
    std::string fromVersion, toVersion;
    // Relative paths that no patch touches (the version file, the player's own files).
    std::vector<std::string> excluded = {"Profiles/game.version"};
};

// Writes the patch that turns fromTree into toTree to outPath (through a temporary file
// renamed over it); false with a reason on error.
bool MakePatch(const MakeRequest& request, const std::string& outPath, std::string& error);

// A ZIP archive of deflated entries, in the order given: (name, content) pairs.
std::string BuildZip(const std::vector<std::pair<std::string, std::string>>& entries);

}  // namespace SamplePatch
