#pragma once
// The launcher download's page events ("LauncherDownload." module; the files step's
// progress goes out as the shared "Downloader." events). Each timer it makes has the
// next identifier from 719 on, so the steps of one download never share one.
#include "workflow/IView.h"
#include "workflow/StateIds.h"

class LauncherDownloadView final : public IView {
public:
    explicit LauncherDownloadView(IMainWindow* window) : IView(window) {}

    RefPtr<ITimer> CreateTimer() override { return CreateWindowTimer(++timerCounter_); }

    void OnStartTorrentDownload();
    void OnFinishTorrentDownload();
    void OnStartFilesDownload();
    void OnFinishFilesDownload();
    void OnServerError(int code);
    void OnLogicError(int code);
    void OnTorrentError();
    void OnDownloadCompleteTimeout();

    IMainWindow* Window() const { return window_; }

private:
    ~LauncherDownloadView() override = default;
    void Send(const char16_t* name);

    int timerCounter_ = TimerId::LauncherDownloadBase;
};
