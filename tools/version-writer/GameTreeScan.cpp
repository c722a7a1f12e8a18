#include "GameTreeScan.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace VersionWriter {

bool ScanTree(const std::string& root, const ScanOptions& options, Model& model) {
    namespace fs = std::filesystem;
    std::error_code error;
    std::map<std::string, std::vector<FileEntry>> folders;
    for (fs::recursive_directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
        if (!it->is_regular_file(error)) continue;
        const std::string relative = fs::relative(it->path(), root, error).generic_string();
        if (std::find(options.excluded.begin(), options.excluded.end(), relative) != options.excluded.end()) continue;
        const std::size_t slash = relative.rfind('/');
        const std::string folder = slash == std::string::npos ? "/" : "/" + relative.substr(0, slash + 1);
        FileEntry entry;
        entry.name = slash == std::string::npos ? relative : relative.substr(slash + 1);
        std::string bytes;
        if (!ReadFile(it->path().string(), bytes)) return false;
        FillHashes(bytes, entry);
        const auto flags = options.flagsByPath.find(relative);
        entry.flags = flags == options.flagsByPath.end() ? options.defaultFlags : flags->second;
        folders[folder].push_back(entry);
    }
    if (error) return false;
    for (auto& [name, files] : folders) {
        std::sort(files.begin(), files.end(), [](const FileEntry& a, const FileEntry& b) { return a.name < b.name; });
        model.folders.push_back(FolderEntry {name, files});
    }
    return true;
}

}  // namespace VersionWriter
