#pragma once
// Describes a game tree on disk as a version-file model: one folder record per folder
// that holds files ("/" for the root, "/bin/" for a subfolder), files sorted by name.
#include <map>
#include <string>
#include <vector>

#include "VersionFileWriter.h"

namespace VersionWriter {

struct ScanOptions {
    std::uint8_t defaultFlags = 3;
    std::map<std::string, std::uint8_t> flagsByPath;  // "bin/a.dll" -> flags
    std::vector<std::string> excluded;                // relative paths left out
};

bool ScanTree(const std::string& root, const ScanOptions& options, Model& model);

}  // namespace VersionWriter
