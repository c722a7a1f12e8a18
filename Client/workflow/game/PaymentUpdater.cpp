#include "workflow/game/PaymentUpdater.h"

#include <filesystem>
#include <system_error>
#include <unistd.h>

#include "platform/posix/FileMove.h"
#include "platform/process/ChildReaper.h"
#include "platform/process/ProcessSpawn.h"

namespace fs = std::filesystem;

namespace PaymentUpdater {

bool CopyMissingFiles(const std::string& source, const std::string& target) {
    std::error_code error;
    fs::directory_iterator entries(source, error);
    if (error) return !fs::exists(fs::symlink_status(source, error));
    for (const fs::directory_entry& entry : entries) {
        // A link could name anything on the machine; only files of the folder itself are copied.
        if (!entry.is_regular_file(error) || entry.is_symlink(error)) continue;
        const fs::path destination = fs::path(target) / entry.path().filename();
        if (fs::exists(fs::symlink_status(destination, error))) continue;
        if (CopyFileReplacing(entry.path().string(), destination.string()) != 0) return false;
    }
    return true;
}

bool Launch(const std::string& path) {
    std::error_code error;
    if (!fs::is_regular_file(path, error) || access(path.c_str(), X_OK) != 0) return false;
    SpawnRequest request;
    request.program = path;
    request.argv = {path, "autoupdate.xml", "0", "0"};
    request.workingDir = fs::path(path).parent_path().string();
    ProcessHandle updater = SpawnChild(request);
    if (!updater.IsValid()) return false;
    ReapWhenEnded(std::move(updater));
    return true;
}

void Refresh(const std::string& bin) {
    const fs::path target = fs::path(bin) / "ePay";
    std::error_code error;
    fs::create_directory(target, error);
    if (!fs::is_directory(target, error)) return;
    if (CopyMissingFiles((fs::path(bin) / "ePay_original").string(), target.string()))
        Launch((target / "autoupdate.exe").string());
}

}  // namespace PaymentUpdater
