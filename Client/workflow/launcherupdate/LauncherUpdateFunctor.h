#pragma once
// The self-update: a launcher started from its download folder with "/update" or
// "/reinstall" copies its own files into the installation's bin folder and the new
// version file into Profiles; with "/reinstall" it first empties the installation but
// for the player's data and the mods. Started with "/droptemp" from the installed
// copy, it deletes the download folder it was restarted from.
#include <string>
#include <vector>

#include "workflow/launcherupdate/LauncherUpdateView.h"

struct LauncherUpdateRequest {
    std::string folder;     // the path after the switch: installation or download folder
    std::string ownFolder;  // the running launcher's folder, where its new files are
    bool update = false;
    bool reinstall = false;
    bool dropTemp = false;
};

class LauncherUpdateFunctor final : public RefCounter {
public:
    enum InstallResult { Updated = 0, NotUpdated = 1, LockedFiles = 2 };

    // From the run's parameters and the current folder; null without a view.
    static RefPtr<LauncherUpdateFunctor> Create(LauncherUpdateView* view);
    static RefPtr<LauncherUpdateFunctor> Create(LauncherUpdateView* view, const LauncherUpdateRequest& request);

    // Does the whole update and reports it; always true.
    bool Run();
    // The installation step alone; locked receives the full paths of locked files.
    InstallResult Install(bool reinstall, std::vector<std::string>& locked);

private:
    LauncherUpdateFunctor(LauncherUpdateView* view, const LauncherUpdateRequest& request)
        : view_(view), request_(request) {}
    ~LauncherUpdateFunctor() override = default;

    bool ClearInstallation(const std::string& installation);
    bool TestTargets(const std::string& installation, std::vector<std::string>& locked);
    bool MoveVersionFile(const std::string& installation);
    bool CopyOwnFiles(const std::string& installation);
    std::string VersionSource() const;
    // Whether the downloaded version file is signed and names the version expected.
    bool VersionFileFits(const std::string& installation, bool reinstall) const;
    std::string TargetOf(const std::string& installation, const std::string& name) const;

    RefPtr<LauncherUpdateView> view_;
    LauncherUpdateRequest request_;
};
