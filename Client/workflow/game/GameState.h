#pragma once
// The game step of the main flow (command 70): it takes the commands of the game
// start, the hub link and the payment updater itself, and runs the future-patch request and
// download (31, 300) as a side step beside it, which FindState does not see. In a demo
// installation its current step fetches the full version (4001, 600), which 4002 moves
// into the game.
#include <functional>

#include "workflow/FeatureFactories.h"
#include "workflow/IMainWindow.h"
#include "workflow/SingleState.h"
#include "workflow/game/IGameFunctor.h"
#include "workflow/repair/Rip.h"

// The side step's features: the patch request and the patch download in the future
// mode. An empty slot makes its command answer false.
struct FuturePatchFactories {
    std::function<FeatureStart(IMainWindow* window)> request;
    // Given the side step before it (the request whose result it downloads), or null.
    std::function<FeatureStart(IMainWindow* window, IState* previous)> download;

    // The steps this launcher has: the real patch request; the download once it exists.
    static FuturePatchFactories Installed();
};

// The full version's download step and its start.
struct FullVersionDownloadStart {
    RefPtr<IState> state;
    // The download's start; fills in the path of the torrent it added.
    std::function<bool(WideString& torrentPath)> start;
};

// The full version's steps on the repair machinery. An empty slot makes its command
// answer false.
struct FullVersionFactories {
    // 4001: the repair request for the whole repair set (its state has the request's id).
    std::function<FeatureStart(IMainWindow* window)> request;
    // 600: the repair download of list into the patches folder's subfolder, with the
    // answer of the request step (null when there is none).
    std::function<FullVersionDownloadStart(IMainWindow* window, IState* request, Rip* list,
                                           const WideString& subfolder)>
        download;
    // Where the download step's files landed, once it has finished; "" before.
    std::function<WideString(IState& download)> downloadedFolder;

    // The steps this launcher has: the repair request and download.
    static FullVersionFactories Installed();
};

class GameState final : public SingleState {
public:
    GameState(IGameFunctor* functor, IMainWindow* window, FuturePatchFactories futurePatches = {},
              FullVersionFactories fullVersion = {});

    bool OnCommand(int code, const WideString& argument) override;

    IGameFunctor* Functor() const { return functor_.Get(); }
    IState* SideStep() const { return sideStep_.Get(); }
    Rip* FullVersionList() const { return fullVersionList_.Get(); }
    const WideString& StagingFolder() const { return stagingFolder_; }

private:
    ~GameState() override;

    // 700, "LOGIN<=>PASSWORD".
    bool RunGame(const WideString& argument);
    bool StartFuturePatchRequest();
    bool StartFuturePatchDownload();
    // A full-version download leaves its files in the patches folder's "Full/"; once
    // the game is to start they are of no use, unless a download is still writing there.
    void RemoveFullVersionLeftovers();
    bool StartFullVersionRequest();
    bool StartFullVersionDownload();
    // The downloaded files go into the game; on success the installation is no demo any
    // more and the page is told to end the launcher.
    bool InstallFullVersion();

    RefPtr<IGameFunctor> functor_;
    IMainWindow* window_;
    FuturePatchFactories futurePatches_;
    FullVersionFactories fullVersion_;
    RefPtr<IState> sideStep_;
    RefPtr<Rip> fullVersionList_;
    WideString stagingSubfolder_;
    WideString stagingFolder_;
};
