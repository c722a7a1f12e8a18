#pragma once
// The engine of every download step (patches, repair, the launcher's own files, the
// full version of a demo): one torrent session on a folder, the step's torrents, a
// 2000 ms window timer that drives it, a phase word that the torrents' events move, the
// progress and peer reports with the peers-lost rule, the download-speed limit, the
// disk-space watch and the completion time-out. A step owns one engine, tells it its
// torrents, and hears from it through its IDownloadSink. UI thread only.
//
//     engine = DownloadEngine::Create(DownloadEngineOptions::Production(folder), this);
//     RefPtr<ITorrent> torrent = engine->AddTorrent(u"patch.torrent");   // null: refused
//     engine->SelectFiles(0, names);                                    // optional
//     engine->Start(view->CreateTimer());                               // false: not started
//
// The options give each step its shape: the patch download takes the defaults with
// the Channel rule; the launcher's files the defaults; the repair download drains the
// alerts first, keeps no torrents log and no early states, counts no pauses, reports
// nothing while paused, repeats its completion and has no completion time-out (with
// the Game rule for the full version of a demo).
//
// Byte counts are 64-bit from the torrents to the sink. The progress reported never
// goes back, and its total counts the wanted payload only (the selected files of a
// torrent whose files were chosen, every payload file otherwise).
#include <cstdint>
#include <functional>
#include <memory>

#include "base/runtime/RefCounter.h"
#include "base/runtime/String.h"
#include "base/runtime/Timer.h"
#include "base/runtime/Vector.h"
#include "engine/checks/DiskSpaceChecker.h"
#include "engine/torrent/ITorrentSession.h"
#include "engine/torrent/TorrentSessionConfig.h"
#include "engine/torrent/TorrentsLog.h"
#include "platform/UiWakeup.h"
#include "workflow/download/ChannelSpeedLimit.h"
#include "workflow/download/IDownloadSink.h"

// Which rule limits the download speed on each tick of phases 1 and 3.
enum class DownloadSpeedRule {
    None,     // no limit (the launcher's own files, the repair)
    Channel,  // the session follows the page's requested channel; in the future-update
              // mode the game's foreground rule with the prepatch limits instead
    Game,     // the game's foreground rule with the prepatch limits, set on each torrent
};

struct DownloadEngineOptions {
    static constexpr int kTickMs = 2000;
    static constexpr std::int64_t kStallMs = 15000;
    static constexpr std::int64_t kCompletionTimeoutMs = 300000;
    // A torrent paused by the engine counts as "no room" below this many free bytes.
    static constexpr double kPauseFreeBytes = 4194304.0;

    // The session's folder: torrent files are looked up here, payloads land here.
    WideString folder;
    TorrentSessionConfig session;
    int uploadLimit = 0;  // bytes per second, 0 or less: unlimited

    DownloadSpeedRule speedRule = DownloadSpeedRule::None;
    // The patch steps drain the engine's alerts after their own tick, the repair before.
    bool alertsFirst = false;
    // Torrents log ("torrents.log", the peers' statistics, the last states).
    bool torrentsLog = true;
    // Checking and connecting reach the sink (the repair keeps them silent).
    bool reportEarlyStates = true;
    // Phase 3 (paused with room) goes on reporting progress and limiting speed.
    bool reportWhilePaused = true;
    // Engine pauses are counted against resumes (patch and launcher steps); without it
    // every pause with room gives phase 3 and every resume phase 0.
    bool countPauses = true;
    // On completion the session, torrents and timer go and OnComplete comes once;
    // without it the timer runs on and OnComplete repeats on every tick.
    bool releaseOnComplete = true;
    // 0: no completion time-out.
    std::int64_t completionTimeoutMs = kCompletionTimeoutMs;

    // Injected for tests; the defaults ask the system.
    DiskSpaceChecker::FreeBytes freeBytes = DiskSpaceChecker::MeasureFreeBytes;
    std::function<bool()> gameForeground;  // default: IsGameForeground
    std::function<bool()> gameRunning;     // default: IsGameRunning
    // Takes the session's alerts as soon as they wait, between ticks, so that a finish
    // completes at once (default: a wake-up of the program's main loop; tests that
    // tick by hand have no loop and lose nothing).
    std::function<std::shared_ptr<UiWakeup>(std::function<void()>)> makeWakeup = &MakeUiWakeup;

    // The player's settings: ports 6968-6978, the seed servers of the string table,
    // "uploadLimit", public discovery on.
    static DownloadEngineOptions Production(const WideString& folder);
};

class DownloadEngine final : public RefCounter {
public:
    // Phases of the download.
    enum Phase {
        Starting = 0,      // starting, or a paused torrent was resumed
        Downloading = 1,
        NoRoom = 2,        // a pause without room, or a file error: disk-space error every tick
        PausedWithRoom = 3,
        Complete = 4,      // every torrent finished and the step took the result
    };

    // Null without a sink, or when the session cannot be created. The sink must
    // outlive the engine (the step that owns the engine is its sink).
    static RefPtr<DownloadEngine> Create(const DownloadEngineOptions& options, IDownloadSink* sink);
    // On a session made elsewhere (fakes in tests).
    static RefPtr<DownloadEngine> Create(const DownloadEngineOptions& options, ITorrentSession* session,
                                         IDownloadSink* sink);

    // Adds the torrent file (its last component, in the folder) paused; null when the
    // session refuses it (a missing or unsound torrent, files that would leave the
    // folder) or the engine has started or ended.
    RefPtr<ITorrent> AddTorrent(const WideString& torrentFile);
    // Downloads only the named files of the torrent at index (as ITorrent::SelectFiles);
    // the progress total then counts those. False when the torrent refuses them.
    bool SelectFiles(std::size_t index, const StringVector& names, std::int64_t& selectedSize);
    // The same with whole paths compared byte for byte (ITorrent::SelectExactFiles).
    bool SelectExactFiles(std::size_t index, const StringVector& paths, std::int64_t& selectedSize);
    // Connects the torrents, resumes them, applies the speed limit once and starts the
    // timer at 2000 ms. False when already started, without torrents, or when the
    // checker or the timer is missing or does not start (the engine is then released).
    bool Start(const RefPtr<ITimer>& timer);
    // Drops the timer, the torrents and the session (downloaded files stay).
    void Release();

    int GetPhase() const { return phase_; }
    bool Started() const { return timer_ != nullptr; }
    const WideString& Folder() const { return options_.folder; }
    std::size_t TorrentCount() const { return torrents_.Size(); }
    ITorrent* TorrentAt(std::size_t index) const { return torrents_[index].torrent.Get(); }
    ITorrentSession* Session() const { return session_.Get(); }
    // The speed state of the channel rule (for the log line and tests).
    const ChannelSpeedState& Speed() const { return speed_; }

    // The timer's tick, public for tests that drive the engine without a timer.
    bool OnTick(std::int64_t elapsedMs);

private:
    // Tells the engine which torrent finished.
    class FinishWatch final : public RefCounter {
    public:
        FinishWatch(DownloadEngine* engine, std::size_t index) : engine_(engine), index_(index) {}
        bool OnFinished();
        void Detach() { engine_ = nullptr; }

    private:
        ~FinishWatch() override = default;
        DownloadEngine* engine_;
        std::size_t index_;
    };

    struct Watched {
        RefPtr<ITorrent> torrent;
        RefPtr<FinishWatch> watch;
        std::int64_t wanted = -1;  // selected bytes; -1: every payload file
        bool finished = false;
    };

    DownloadEngine(const DownloadEngineOptions& options, ITorrentSession* session, IDownloadSink* sink);
    ~DownloadEngine() override;

    bool OnTimerTick(std::int64_t elapsedMs);
    void OnAlertsWaiting();
    bool OnTorrentState(int state);
    bool OnTorrentPaused();
    bool OnTorrentResumed();
    bool OnFileError();
    void OnTorrentFinished(std::size_t index);

    void StepTick(std::int64_t elapsedMs);
    void ReportProgress(std::int64_t elapsedMs);
    void ReportFinalProgress();
    // The torrents' summed progress; returns the total.
    std::int64_t SumProgress(TorrentProgress& sum);
    void SendProgress(TorrentProgress sum, std::int64_t total);
    void SendPeers();
    void ApplySpeedLimit();
    void ApplyChannelLimit();
    void ApplyGameLimit();
    float GameLimit() const;
    void CompletionWatch(std::int64_t elapsedMs);
    void FinishDownload();
    void Disconnect();

    DownloadEngineOptions options_;
    RefPtr<ITorrentSession> session_;
    IDownloadSink* sink_;
    Vector<Watched> torrents_;
    TorrentsLog log_;
    RefPtr<IDiskSpaceChecker> checker_;
    RefPtr<ITimer> timer_;
    std::shared_ptr<UiWakeup> wakeup_;
    int phase_ = Starting;
    int pausedCount_ = 0;

    std::int64_t lastDone_ = -1;      // the summed bytes done at the last change
    std::int64_t reportedDone_ = 0;   // the highest bytes done reported
    std::int64_t stallMs_ = 0;
    ChannelSpeedState speed_;

    bool progressComplete_ = false;   // the last report had every byte
    bool completeSent_ = false;
    bool timeoutSent_ = false;
    std::int64_t completionMs_ = 0;
};
