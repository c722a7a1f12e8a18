#include "workflow/launcherupdate/LauncherDownloadState.h"

#include "base/runtime/StrUtil.h"
#include "platform/process/ProcessInfo.h"
#include "shell/AppParams.h"
#include "workflow/PageCommands.h"
#include "workflow/StateIds.h"
#include "workflow/launcherupdate/DownloadedLauncher.h"

LauncherDownloadSteps LauncherDownloadSteps::Default() {
    LauncherDownloadSteps steps;
    steps.torrentFetch = [](LauncherDownloadView* view) {
        return LauncherDownloadTorrentFunctor::Create(view, GetAppParams());
    };
    steps.filesDownload = [](LauncherDownloadView* view, const WideString& torrentPath) {
        return LauncherDownloadFilesFunctor::Create(view, torrentPath);
    };
    steps.ownPath = [] { return GetOwnExecutablePath(); };
    return steps;
}

LauncherDownloadState::LauncherDownloadState(IMainWindow* window, LauncherDownloadSteps steps)
    : window_(window), steps_(std::move(steps)), view_(new LauncherDownloadView(window)) {}

bool LauncherDownloadState::OnCommand(int code, const WideString& argument) {
    if (SingleState::OnCommand(code, argument)) return true;
    switch (code) {
    case PageCommand::NewLauncher:
        return StartTorrentFetch();
    case PageCommand::DownloadLauncher:
        return StartFilesDownload();
    case PageCommand::RunDownloadedLauncher:
        RunDownloadedLauncher(argument);
        return true;
    default:
        return false;
    }
}

bool LauncherDownloadState::StartTorrentFetch() {
    SetStep(nullptr);
    RefPtr<LauncherDownloadTorrentFunctor> functor =
        steps_.torrentFetch ? steps_.torrentFetch(view_.Get()) : RefPtr<LauncherDownloadTorrentFunctor>();
    if (!functor) return false;
    SetStep(new LauncherDownloadTorrentState(functor.Get()));
    return functor->Run();
}

bool LauncherDownloadState::StartFilesDownload() {
    WideString torrentPath;
    if (auto* fetch = static_cast<LauncherDownloadTorrentState*>(FindState(StateId::LauncherDownloadTorrent)))
        torrentPath = fetch->Functor()->GetResult();
    SetStep(nullptr);
    if (torrentPath.IsEmpty() || !steps_.filesDownload) return false;
    RefPtr<LauncherDownloadFilesFunctor> functor = steps_.filesDownload(view_.Get(), torrentPath);
    if (!functor) {
        // No session on the download folder (it went away since the fetch): the page
        // hears of it instead of waiting for a download that never starts.
        view_->OnTorrentError();
        return false;
    }
    SetStep(new LauncherDownloadFilesState(functor.Get()));
    return functor->Run();
}

void LauncherDownloadState::RunDownloadedLauncher(const WideString& argument) {
    RefPtr<LauncherDownloadState> self(this);
    auto* files = static_cast<LauncherDownloadFilesState*>(FindState(StateId::LauncherDownloadFiles));
    if (files && files->Functor()->Finished()) {
        const AppParams* params = GetAppParams();
        const std::optional<SpawnRequest> start = BuildDownloadedLauncherStart(
            ParseLauncherMode(argument), StrUtil::ToNarrow(files->Functor()->GetResult()).Std(),
            steps_.ownPath ? steps_.ownPath() : std::string(), params && params->uac, AuthKey());
        if (start) StartDownloadedLauncher(*start);
    }
    if (window_) window_->EndDialog(2);
}
