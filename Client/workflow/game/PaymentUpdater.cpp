#include "workflow/game/PaymentUpdater.h"

#include <filesystem>
#include <system_error>
#include <unistd.h>

#include "base/io/Path.h"
#include "platform/process/ChildReaper.h"
#include "platform/process/ProcessSpawn.h"

namespace fs = std::filesystem;

namespace PaymentUpdater {

namespace {

bool CopyThroughTemporary(const fs::path& from, const fs::path& to) {
    const String temporary = Path::TempFileName(String(to.parent_path().c_str()), ".ePay-");
    if (temporary.IsEmpty()) return false;
    const fs::path partial(temporary.CStr());
    std::error_code error;
    const fs::perms mode = fs::status(from, error).permissions();
    if (!error) fs::copy_file(from, partial, fs::copy_options::overwrite_existing, error);
    if (!error) fs::permissions(partial, mode, error);
    if (!error) fs::rename(partial, to, error);
    if (!error) return true;
    std::error_code ignored;
    fs::remove(partial, ignored);
    return false;
}

}  // namespace

bool CopyMissingFiles(const std::string& source, const std::string& target) {
    std::error_code error;
    fs::directory_iterator entries(source, error);
    if (error) return !fs::exists(fs::symlink_status(source, error));
    for (const fs::directory_entry& entry : entries) {
        // A link could name anything on the machine; only files of the folder itself are copied.
        if (!entry.is_regular_file(error) || entry.is_symlink(error)) continue;
        const fs::path destination = fs::path(target) / entry.path().filename();
        if (fs::exists(fs::symlink_status(destination, error))) continue;
        if (!CopyThroughTemporary(entry.path(), destination)) return false;
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
