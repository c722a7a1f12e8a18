#include "workflow/download/DownloadEngine.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

#include "engine/torrent/TorrentSession.h"
#include "shell/resources/StringTable.h"
#include "workflow/Settings.h"
#include "workflow/WorkflowValues.h"
#include "workflow/download/DownloaderLog.h"
#include "workflow/game/GameProcess.h"

namespace {

constexpr int kSeedUrlsString = 147;

// libtorrent's states that the torrents report; anything else is an error.
constexpr int kQueued = 0;
constexpr int kChecking = 1;
constexpr int kMetadata = 2;
constexpr int kDownloading = 3;
constexpr int kFinished = 4;
constexpr int kSeeding = 5;
constexpr int kAllocating = 6;
constexpr int kCheckingResume = 7;

// Whole kB/s for the session from a limit: 0 (unlimited) for no limit or a value that
// is not a number; a positive limit below 1 kB/s stays a limit.
int SessionLimit(float kilobytesPerSecond) {
    if (!(kilobytesPerSecond > 0.0f)) return 0;
    if (kilobytesPerSecond >= static_cast<float>(INT_MAX / 1024)) return INT_MAX / 1024;
    return std::max(1, static_cast<int>(kilobytesPerSecond));
}

}  // namespace

DownloadEngineOptions DownloadEngineOptions::Production(const WideString& folder) {
    DownloadEngineOptions options;
    options.folder = folder;
    options.session.SetSeedUrls(String(LoadResString(kSeedUrlsString)));
    options.uploadLimit = Settings::uploadLimit.GetInt();
    return options;
}

RefPtr<DownloadEngine> DownloadEngine::Create(const DownloadEngineOptions& options, IDownloadSink* sink) {
    if (!sink) return nullptr;
    RefPtr<TorrentSession> session = TorrentSession::Create(options.session, options.folder, options.uploadLimit);
    if (!session) return nullptr;
    return Create(options, session.Get(), sink);
}

RefPtr<DownloadEngine> DownloadEngine::Create(const DownloadEngineOptions& options, ITorrentSession* session,
                                              IDownloadSink* sink) {
    if (!sink || !session) return nullptr;
    return RefPtr<DownloadEngine>(new DownloadEngine(options, session, sink));
}

DownloadEngine::DownloadEngine(const DownloadEngineOptions& options, ITorrentSession* session, IDownloadSink* sink)
    : options_(options), session_(session), sink_(sink) {
    if (!options_.gameForeground) options_.gameForeground = &IsGameForeground;
    if (!options_.gameRunning) options_.gameRunning = &IsGameRunning;
}

DownloadEngine::~DownloadEngine() { Release(); }

RefPtr<ITorrent> DownloadEngine::AddTorrent(const WideString& torrentFile) {
    if (!session_ || timer_) return nullptr;
    RefPtr<ITorrent> torrent = session_->AddTorrent(torrentFile);
    if (torrent) torrents_.PushBack(Watched{torrent, nullptr});
    return torrent;
}

bool DownloadEngine::SelectFiles(std::size_t index, const StringVector& names, std::int64_t& selectedSize) {
    selectedSize = 0;
    if (index >= torrents_.Size() || !torrents_[index].torrent->SelectFiles(names, selectedSize)) return false;
    if (!names.Empty()) torrents_[index].wanted = selectedSize;
    return true;
}

bool DownloadEngine::SelectExactFiles(std::size_t index, const StringVector& paths, std::int64_t& selectedSize) {
    selectedSize = 0;
    if (index >= torrents_.Size() || !torrents_[index].torrent->SelectExactFiles(paths, selectedSize)) return false;
    torrents_[index].wanted = selectedSize;
    return true;
}

bool DownloadEngine::Start(const RefPtr<ITimer>& timer) {
    if (timer_ || !session_ || torrents_.Empty() || !timer) return false;
    for (std::size_t i = 0; i < torrents_.Size(); ++i) {
        ITorrent& torrent = *torrents_[i].torrent;
        // The log's record first, so that its last state is current when ours runs.
        if (options_.torrentsLog) log_.AddTorrent(&torrent);
        torrent.StateChanged.Connect<&DownloadEngine::OnTorrentState>(this);
        torrent.Paused.Connect<&DownloadEngine::OnTorrentPaused>(this);
        torrent.Resumed.Connect<&DownloadEngine::OnTorrentResumed>(this);
        torrent.FileError.Connect<&DownloadEngine::OnFileError>(this);
        torrents_[i].watch = new FinishWatch(this, i);
        torrent.Finished.Connect<&FinishWatch::OnFinished>(torrents_[i].watch.Get());
        torrent.Pause(false);
    }
    ApplySpeedLimit();
    checker_ = DiskSpaceChecker::Create(options_.folder, options_.freeBytes);
    timer->OnTick.Connect<&DownloadEngine::OnTimerTick>(this);
    if (!checker_ || !timer->Start(DownloadEngineOptions::kTickMs)) {
        // Nothing would drive the torrents: they go with the session.
        timer->OnTick.Disconnect(this);
        Release();
        return false;
    }
    timer_ = timer;
    if (options_.makeWakeup) wakeup_ = options_.makeWakeup([this] { OnAlertsWaiting(); });
    if (wakeup_) {
        std::shared_ptr<UiWakeup> wakeup = wakeup_;
        session_->SetAlertNotify([wakeup] { wakeup->Notify(); });
    }
    return true;
}

void DownloadEngine::OnAlertsWaiting() {
    RefPtr<DownloadEngine> keep(this);  // the sink may let go of the engine
    RefPtr<ITorrentSession> session = session_;
    if (!session || !timer_) return;
    session->ProcessAlerts();
    // Every torrent finished and the step has its result: no need to wait for the tick.
    if (phase_ == Complete && !completeSent_) FinishDownload();
}

void DownloadEngine::Release() {
    Disconnect();
    if (wakeup_) {
        if (session_) session_->SetAlertNotify({});
        wakeup_.reset();
    }
    if (timer_) {
        timer_->OnTick.Disconnect(this);
        timer_->Stop();
        timer_ = nullptr;
    }
    torrents_.Clear();
    session_ = nullptr;
}

void DownloadEngine::Disconnect() {
    for (Watched& watched : torrents_) {
        ITorrent& torrent = *watched.torrent;
        torrent.StateChanged.Disconnect(this);
        torrent.Paused.Disconnect(this);
        torrent.Resumed.Disconnect(this);
        torrent.FileError.Disconnect(this);
        if (watched.watch) {
            torrent.Finished.Disconnect(watched.watch.Get());
            watched.watch->Detach();
        }
    }
}

bool DownloadEngine::OnTimerTick(std::int64_t elapsedMs) {
    // The session may go inside the step's tick (completion): hold it for the alerts.
    RefPtr<ITorrentSession> session = session_;
    if (options_.alertsFirst && session) session->ProcessAlerts();
    OnTick(elapsedMs);
    if (!options_.alertsFirst && session && session_) session->ProcessAlerts();
    return true;
}

bool DownloadEngine::OnTick(std::int64_t elapsedMs) {
    RefPtr<DownloadEngine> keep(this);  // the sink may let go of the engine
    StepTick(elapsedMs);
    CompletionWatch(elapsedMs);
    return true;
}

void DownloadEngine::StepTick(std::int64_t elapsedMs) {
    switch (phase_) {
    case Downloading:
        ApplySpeedLimit();
        ReportProgress(elapsedMs);
        break;
    case PausedWithRoom:
        if (options_.reportWhilePaused) {
            ApplySpeedLimit();
            ReportProgress(elapsedMs);
        }
        break;
    case NoRoom:
        sink_->OnDiskSpaceError();
        break;
    case Complete:
        FinishDownload();
        break;
    default:
        break;
    }
}

void DownloadEngine::FinishDownload() {
    if (options_.releaseOnComplete) {
        if (completeSent_) return;
        ReportFinalProgress();
        Release();
    } else if (!completeSent_) {
        ReportFinalProgress();
    }
    completeSent_ = true;
    sink_->OnComplete();
}

std::int64_t DownloadEngine::SumProgress(TorrentProgress& sum) {
    sum = TorrentProgress();
    std::int64_t total = 0;
    for (const Watched& watched : torrents_) {
        TorrentProgress progress;
        watched.torrent->GetProgress(progress);
        const std::int64_t size = watched.wanted >= 0 ? watched.wanted : watched.torrent->GetTotalSize();
        sum.numPeers += progress.numPeers;
        sum.totalDone += std::clamp<std::int64_t>(progress.wantedDone, 0, size);
        sum.downloadRate += progress.downloadRate;
        sum.uploaded += progress.uploaded;
        sum.uploadRate += progress.uploadRate;
        total += size;
    }
    return total;
}

void DownloadEngine::SendProgress(TorrentProgress sum, std::int64_t total) {
    // What the page sees never goes back, whatever a re-check finds.
    reportedDone_ = std::max(reportedDone_, sum.totalDone);
    sum.totalDone = reportedDone_;
    sum.wantedDone = reportedDone_;
    sum.percent = total > 0 ? static_cast<int>(static_cast<double>(reportedDone_) * 100.0 / static_cast<double>(total)) : 0;
    progressComplete_ = reportedDone_ == total;
    sink_->OnProgress(sum, total);
}

void DownloadEngine::SendPeers() {
    Vector<TorrentPeerInfo> collected;
    for (const Watched& watched : torrents_) watched.torrent->GetPeers(collected);
    std::vector<TorrentPeerInfo> peers(collected.begin(), collected.end());
    std::stable_sort(peers.begin(), peers.end(),
                     [](const TorrentPeerInfo& a, const TorrentPeerInfo& b) { return a.downSpeed > b.downSpeed; });
    Vector<TorrentPeerInfo> sorted;
    double speed = 0.0;
    for (TorrentPeerInfo& peer : peers) {
        speed += peer.downSpeed;
        sorted.PushBack(std::move(peer));
    }
    speed_.currentSpeed = static_cast<float>(speed / 1024.0);
    sink_->OnPeersInfo(sorted);
}

void DownloadEngine::ReportProgress(std::int64_t elapsedMs) {
    TorrentProgress sum;
    const std::int64_t total = SumProgress(sum);
    if (sum.totalDone != lastDone_) {
        lastDone_ = sum.totalDone;
        stallMs_ = 0;
        SendProgress(sum, total);
        SendPeers();
    } else {
        stallMs_ += elapsedMs;
        if (stallMs_ > DownloadEngineOptions::kStallMs) {
            stallMs_ = 0;
            sink_->OnPeersLost();
            sum.downloadRate = 0;
            sum.numPeers = 0;
            SendProgress(sum, total);
            if (options_.reportEarlyStates && log_.AnyInState(kChecking)) sink_->OnChecking();
        }
    }
    if (options_.torrentsLog) log_.UpdateAll();
}

void DownloadEngine::ReportFinalProgress() {
    if (progressComplete_) return;
    // A download faster than one tick has had no report yet: the page sees it whole.
    TorrentProgress sum;
    const std::int64_t total = SumProgress(sum);
    lastDone_ = sum.totalDone;
    SendProgress(sum, total);
    SendPeers();
}

void DownloadEngine::ApplySpeedLimit() {
    switch (options_.speedRule) {
    case DownloadSpeedRule::Channel:
        ApplyChannelLimit();
        break;
    case DownloadSpeedRule::Game:
        ApplyGameLimit();
        break;
    case DownloadSpeedRule::None:
        break;
    }
}

float DownloadEngine::GameLimit() const {
    if (options_.gameForeground()) return Settings::prepatch_limit_active.GetFloat();
    if (options_.gameRunning()) return Settings::prepatch_limit_run.GetFloat();
    return -1.0f;
}

void DownloadEngine::ApplyChannelLimit() {
    if (!session_) return;
    // A pause of the last decision lasts one tick.
    if (session_->IsPaused()) session_->Resume();
    float limit = -1.0f;
    const float requested = Workflow::RequestedChannel();
    if (Workflow::FutureUpdate()) {
        limit = GameLimit();
    } else {
        const ChannelDecision decision = AdjustForChannel(speed_, requested);
        if (requested >= kChannelEpsilon) limit = speed_.currentLimit;
        if (decision.pause) session_->Pause();
    }
    if (Settings::logEnabled.GetBool()) {
        WriteDownloaderLog(speed_.currentSpeed, speed_.currentLimit, requested);
    }
    session_->SetDownloadLimit(SessionLimit(limit));
}

void DownloadEngine::ApplyGameLimit() {
    const float limit = GameLimit();
    const float applied = std::isfinite(limit) && limit > 0.0f ? limit : -1.0f;
    for (const Watched& watched : torrents_) {
        ITorrent& torrent = *watched.torrent;
        // A paused torrent reads 0, so this also resumes what the engine paused.
        if (std::fabs(applied - torrent.GetDownloadLimit()) > kChannelEpsilon) torrent.SetDownloadLimit(applied);
    }
}

void DownloadEngine::CompletionWatch(std::int64_t elapsedMs) {
    if (options_.completionTimeoutMs <= 0 || !progressComplete_ || timeoutSent_ || completeSent_ ||
        !sink_->CompletionTimeoutApplies()) {
        completionMs_ = 0;
        return;
    }
    completionMs_ += elapsedMs;
    if (completionMs_ > options_.completionTimeoutMs) {
        timeoutSent_ = true;
        sink_->OnCompleteTimeout();
    }
}

bool DownloadEngine::OnTorrentState(int state) {
    switch (state) {
    case kQueued:
        break;
    case kChecking:
    case kCheckingResume:
        if (options_.reportEarlyStates && (phase_ == Starting || phase_ == Downloading)) sink_->OnChecking();
        break;
    case kMetadata:
    case kAllocating:
        if (options_.reportEarlyStates && phase_ == Starting) sink_->OnConnecting();
        break;
    case kDownloading:
        if (phase_ != Complete) phase_ = Downloading;
        break;
    case kFinished:
    case kSeeding:
        break;
    default:
        sink_->OnTorrentError();
        break;
    }
    return true;
}

bool DownloadEngine::OnTorrentPaused() {
    if (phase_ == Complete) return true;
    if (!checker_ || !checker_->HasFreeSpace(DownloadEngineOptions::kPauseFreeBytes)) {
        phase_ = NoRoom;
        return true;
    }
    if (!options_.countPauses) {
        phase_ = PausedWithRoom;
        return true;
    }
    // Every resume counts, whatever paused the torrent, so the count may be below 0.
    if (++pausedCount_ >= 0) phase_ = PausedWithRoom;
    return true;
}

bool DownloadEngine::OnTorrentResumed() {
    if (phase_ == Complete) return true;
    if (!options_.countPauses) {
        phase_ = Starting;
        return true;
    }
    if (--pausedCount_ == 0) phase_ = Starting;
    return true;
}

bool DownloadEngine::OnFileError() {
    if (phase_ != Complete) phase_ = NoRoom;
    return true;
}

bool DownloadEngine::FinishWatch::OnFinished() {
    if (engine_) engine_->OnTorrentFinished(index_);
    return true;
}

void DownloadEngine::OnTorrentFinished(std::size_t index) {
    RefPtr<DownloadEngine> keep(this);  // the sink may let go of the engine
    if (phase_ == Complete || index >= torrents_.Size()) return;
    // A torrent may report its finish more than once: each has its own flag.
    torrents_[index].finished = true;
    for (const Watched& watched : torrents_) {
        if (!watched.finished) return;
    }
    for (const Watched& watched : torrents_) {
        const int state = watched.torrent->GetState();
        if (state != kFinished && state != kSeeding) {
            sink_->OnTorrentError();
            return;
        }
    }
    if (sink_->OnAllFinished()) phase_ = Complete;
}
