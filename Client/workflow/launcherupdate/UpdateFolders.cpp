#include "workflow/launcherupdate/UpdateFolders.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "base/io/Path.h"
#include "shell/LauncherDownloadFolder.h"

namespace fs = std::filesystem;

namespace {

std::string Canonical(const std::string& path) {
    if (path.empty()) return std::string();
    std::error_code error;
    const fs::path resolved = fs::canonical(path, error);
    return error ? std::string() : resolved.generic_string();
}

// True when inner is outer or lies below it, compared component-wise.
bool IsWithin(const std::string& inner, const std::string& outer) {
    if (outer.empty() || inner.empty()) return false;
    if (outer == "/") return true;
    return inner == outer || (inner.size() > outer.size() && inner.compare(0, outer.size(), outer) == 0 &&
                              inner[outer.size()] == '/');
}

bool IsDirectory(const std::string& path) {
    std::error_code error;
    return fs::is_directory(fs::symlink_status(path, error));
}

bool HasGameRootShape(const std::string& folder) {
    return IsDirectory(folder + "/bin") && IsDirectory(folder + "/Profiles");
}

// The canonical folder, or "" when working on it could take the system or the
// player's files with it.
std::string SafeFolder(const std::string& path, const std::string& ownFolder) {
    const std::string folder = Canonical(path);
    if (folder.empty() || folder == "/") return std::string();
    const char* home = std::getenv("HOME");
    if (home && *home && IsWithin(Canonical(home), folder)) return std::string();
    const std::string own = Canonical(ownFolder.empty() ? std::string(".") : ownFolder);
    if (own.empty() || IsWithin(own, folder)) return std::string();
    return folder;
}

}  // namespace

std::string CheckedInstallation(const std::string& path, const std::string& ownFolder) {
    const std::string folder = SafeFolder(path, ownFolder);
    return !folder.empty() && HasGameRootShape(folder) ? folder : std::string();
}

std::string CheckedDownloadFolder(const std::string& path, const std::string& ownFolder) {
    const std::string folder = SafeFolder(path, ownFolder);
    // Both the path as given (so not a link to a folder) and the folder it resolves to.
    if (folder.empty() || HasGameRootShape(folder) || !IsOwnLauncherDownload(path) || !IsOwnLauncherDownload(folder))
        return std::string();
    // The temporary folder holds other users' files: it is never a download itself.
    if (folder == Canonical(Path::TempPath().Std())) return std::string();
    const std::string gameRoot = Canonical((ownFolder.empty() ? std::string(".") : ownFolder) + "/..");
    if (gameRoot.empty() || IsWithin(folder, gameRoot) || IsWithin(gameRoot, folder)) return std::string();
    return folder;
}
