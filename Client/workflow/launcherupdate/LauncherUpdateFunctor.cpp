#include "workflow/launcherupdate/LauncherUpdateFunctor.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include "base/io/Path.h"
#include "base/runtime/StrUtil.h"
#include "engine/gamedata/CreateGameVersion.h"
#include "engine/gamedata/GameVersion5.h"
#include "platform/posix/FileMove.h"
#include "shell/AppParams.h"
#include "workflow/VersionCompare.h"
#include "workflow/launcherupdate/LauncherTree.h"
#include "workflow/launcherupdate/UpdateFolders.h"

namespace {

constexpr char kVersionFileName[] = "game.version";

bool MakeFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0755) == 0) return true;
    struct stat info {};
    return errno == EEXIST && ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The version that a signed version file names; "" for anything else.
String SignedVersionIn(const std::string& path) {
    return StrUtil::ToNarrow(Game::VersionTextOfFile(Game::GameVersionFormat, String(path.c_str())));
}

// The copy keeps the source's permission bits (an executable stays executable) and is
// owner-writable, so that the next update can replace it.
bool CopyOwnFile(const std::string& source, const std::string& target) {
    return CopyFileReplacing(source, target, CopyMode::OfSource(S_IRUSR | S_IWUSR)) == 0;
}

bool Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

}  // namespace

RefPtr<LauncherUpdateFunctor> LauncherUpdateFunctor::Create(LauncherUpdateView* view) {
    LauncherUpdateRequest request;
    if (const AppParams* params = GetAppParams()) {
        request.folder = StrUtil::ToNarrow(params->cmdPath).Std();
        request.update = params->update;
        request.reinstall = params->reinstall;
        request.dropTemp = params->dropTemp;
    }
    request.ownFolder = Path::CurrentDirectory().Std();
    return Create(view, request);
}

RefPtr<LauncherUpdateFunctor> LauncherUpdateFunctor::Create(LauncherUpdateView* view,
                                                            const LauncherUpdateRequest& request) {
    if (!view) return nullptr;
    return RefPtr<LauncherUpdateFunctor>(new LauncherUpdateFunctor(view, request));
}

bool LauncherUpdateFunctor::Run() {
    RefPtr<LauncherUpdateFunctor> self(this);
    if (!request_.update && !request_.reinstall) {
        if (request_.dropTemp) {
            view_->OnDeleteTempDir();
            const std::string folder = CheckedDownloadFolder(request_.folder, request_.ownFolder);
            if (!folder.empty()) DeleteTree(folder);
        }
        view_->OnNoNeedUpdate();
        return true;
    }
    view_->OnNeedUpdate();
    std::vector<std::string> locked;
    switch (Install(request_.reinstall, locked)) {
    case Updated:
        view_->OnUpdated();
        break;
    case NotUpdated:
        view_->OnNotUpdated();
        break;
    case LockedFiles: {
        WideStringVector paths;
        for (const std::string& path : locked) paths.PushBack(StrUtil::ToWide(String(path.c_str())));
        view_->OnLockedFiles(paths);
        break;
    }
    }
    return true;
}

LauncherUpdateFunctor::InstallResult LauncherUpdateFunctor::Install(bool reinstall, std::vector<std::string>& locked) {
    const std::string installation = CheckedInstallation(request_.folder, request_.ownFolder);
    // Without a new version file that may replace the installed one nothing is
    // touched: the installation keeps its own.
    if (installation.empty() || !IsRegularFile(VersionSource()) || !VersionFileFits(installation, reinstall))
        return NotUpdated;
    if (reinstall) {
        if (!TestTree(installation, locked)) return LockedFiles;
        if (!ClearInstallation(installation)) return NotUpdated;
        locked.clear();
    }
    if (!TestTargets(installation, locked)) return LockedFiles;
    if (!MoveVersionFile(installation) || !CopyOwnFiles(installation)) return NotUpdated;
    // Only now is the version file moved rather than copied: a new attempt after a
    // failed copy still finds it.
    ::unlink(VersionSource().c_str());
    return Updated;
}

bool LauncherUpdateFunctor::ClearInstallation(const std::string& installation) {
    if (!DeleteTree(installation)) return false;
    return MakeFolder(installation) && MakeFolder(installation + "/bin") && MakeFolder(installation + "/Profiles");
}

std::string LauncherUpdateFunctor::TargetOf(const std::string& installation, const std::string& name) const {
    // Version files belong to Profiles, everything else of the launcher to bin.
    const bool version = name.find(kVersionFileName) != std::string::npos;
    return installation + (version ? "/Profiles/" : "/bin/") + name;
}

bool LauncherUpdateFunctor::TestTargets(const std::string& installation, std::vector<std::string>& locked) {
    std::vector<FolderEntry> entries;
    if (!ListFolder(request_.ownFolder, entries)) return true;
    bool passed = true;
    for (const FolderEntry& entry : entries) {
        // Sub-folders are not copied, so their names in bin are not in the way.
        if (entry.directory) continue;
        const std::string target = TargetOf(installation, entry.name);
        if (Exists(target) && !TestFile(target, locked)) passed = false;
    }
    return passed;
}

std::string LauncherUpdateFunctor::VersionSource() const { return request_.ownFolder + "/" + kVersionFileName; }

bool LauncherUpdateFunctor::VersionFileFits(const std::string& installation, bool reinstall) const {
    const String fresh = SignedVersionIn(VersionSource());
    if (fresh.IsEmpty()) return false;
    const String installed = SignedVersionIn(installation + "/Profiles/" + kVersionFileName);
    // A launcher update is asked for only while the game stands at the version the
    // server announces: the new file names that same version. A reinstall may follow
    // a game too old to patch, so it only never goes back.
    if (!reinstall) return !installed.IsEmpty() && fresh == installed;
    return installed.IsEmpty() || CompareVersions(fresh, installed) >= 0;
}

bool LauncherUpdateFunctor::MoveVersionFile(const std::string& installation) {
    // The installed version file is only ever replaced by a complete new one.
    return CopyOwnFile(VersionSource(), installation + "/Profiles/" + kVersionFileName);
}

bool LauncherUpdateFunctor::CopyOwnFiles(const std::string& installation) {
    std::vector<FolderEntry> entries;
    if (!ListFolder(request_.ownFolder, entries)) return false;
    for (const FolderEntry& entry : entries) {
        const std::string source = request_.ownFolder + "/" + entry.name;
        if (entry.directory || entry.name == kVersionFileName || !IsRegularFile(source)) continue;
        if (!CopyOwnFile(source, TargetOf(installation, entry.name))) return false;
    }
    return true;
}
