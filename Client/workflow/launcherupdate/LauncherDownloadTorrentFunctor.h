#pragma once
// The first step of the launcher download: asks the update server for the launcher's
// own torrent, driven by a 10 ms window timer, and saves it in a new folder of its own
// under the temporary folder, where the files step downloads the new launcher.
#include <cstdint>
#include <string>

#include "engine/servers/HttpLauncherClient.h"
#include "shell/AppParams.h"
#include "workflow/IState.h"
#include "workflow/ServerRequestStep.h"
#include "workflow/StateIds.h"
#include "workflow/launcherupdate/LauncherDownloadView.h"

class LauncherDownloadTorrentFunctor final
    : public ServerRequestStep<RefCounter, ILauncherServer, LauncherDownloadView> {
public:
    // The run's update server; null without a view or a launcher configuration path.
    static RefPtr<LauncherDownloadTorrentFunctor> Create(LauncherDownloadView* view, const AppParams* params);
    // Through the given client; the new folder is made in tempRoot ("" : $TMPDIR, else /tmp).
    static RefPtr<LauncherDownloadTorrentFunctor> Create(LauncherDownloadView* view, ILauncherServer* client,
                                                         const std::string& tempRoot = std::string());

    bool Run();
    // The saved torrent's path; "" until it is saved.
    WideString GetResult() const { return torrentPath_; }

private:
    LauncherDownloadTorrentFunctor(LauncherDownloadView* view, ILauncherServer* client, const std::string& tempRoot);
    ~LauncherDownloadTorrentFunctor() override = default;

    bool OnTorrentReceived(ByteVector* bytes);
    void DisconnectAnswers(ILauncherServer& client) override;

    // A new empty folder "LAU" + six characters; "" when it cannot be made.
    std::string MakeLauncherTempFolder() const;
    bool SaveLauncherTorrent(const std::string& folder, const ByteVector& bytes);

    std::string tempRoot_;
    WideString torrentPath_;
};

class LauncherDownloadTorrentState final : public IState {
public:
    explicit LauncherDownloadTorrentState(LauncherDownloadTorrentFunctor* functor) : functor_(functor) {}

    bool OnCommand(int, const WideString&) override { return false; }
    int GetId() const override { return StateId::LauncherDownloadTorrent; }
    LauncherDownloadTorrentFunctor* Functor() const { return functor_.Get(); }

private:
    ~LauncherDownloadTorrentState() override = default;

    RefPtr<LauncherDownloadTorrentFunctor> functor_;
};
