#pragma once
// The launcher download at the root's main-flow key: 2700 fetches the launcher's
// torrent, 2701 downloads its files into the torrent's folder, 2702 starts the new
// launcher there ("1": update, "2": reinstall) and closes the window, so that the new
// one can take over. One view serves both steps, so their timers count on.
#include <functional>
#include <string>

#include "workflow/IMainWindow.h"
#include "workflow/SingleState.h"
#include "workflow/launcherupdate/LauncherDownloadFilesFunctor.h"
#include "workflow/launcherupdate/LauncherDownloadTorrentFunctor.h"
#include "workflow/launcherupdate/LauncherDownloadView.h"

struct LauncherDownloadSteps {
    std::function<RefPtr<LauncherDownloadTorrentFunctor>(LauncherDownloadView*)> torrentFetch;
    std::function<RefPtr<LauncherDownloadFilesFunctor>(LauncherDownloadView*, const WideString& torrentPath)>
        filesDownload;
    // The running launcher's executable: the game root is its folder's parent.
    std::function<std::string()> ownPath;

    // The run's update server, the player's torrent settings, /proc/self/exe.
    static LauncherDownloadSteps Default();
};

class LauncherDownloadState final : public SingleState {
public:
    explicit LauncherDownloadState(IMainWindow* window, LauncherDownloadSteps steps = LauncherDownloadSteps::Default());

    bool OnCommand(int code, const WideString& argument) override;

    bool StartTorrentFetch();
    bool StartFilesDownload();
    // Always ends the window; starts the new launcher only after a finished download
    // and with mode 1 or 2.
    void RunDownloadedLauncher(const WideString& argument);

private:
    ~LauncherDownloadState() override = default;

    IMainWindow* window_;
    LauncherDownloadSteps steps_;
    RefPtr<LauncherDownloadView> view_;
};
