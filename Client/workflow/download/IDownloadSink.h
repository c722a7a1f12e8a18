#pragma once
// What a download engine tells the step that owns it. Every call comes on the UI
// thread from the engine's tick; the step turns them into its page events (the shared
// "Downloader." events of DownloaderEvents.h, and its own module's).
#include <cstdint>

#include "base/runtime/Vector.h"
#include "engine/torrent/TorrentProgress.h"

class IDownloadSink {
public:
    // A torrent checks the files on disk (states 1 and 7), while nothing is downloading.
    virtual void OnChecking() = 0;
    // A torrent looks for its metadata or peers (state 2), before any download.
    virtual void OnConnecting() = 0;
    // The summed progress of every torrent: bytes done (never less than reported
    // before), rates, peers, uploaded bytes and the percent of total.
    virtual void OnProgress(const TorrentProgress& sum, std::int64_t total) = 0;
    // The peers of every torrent, fastest downloader first.
    virtual void OnPeersInfo(const Vector<TorrentPeerInfo>& peers) = 0;
    // No byte for more than 15 s.
    virtual void OnPeersLost() = 0;
    // A torrent reported an unknown state, or finished in a state other than finished
    // or seeding.
    virtual void OnTorrentError() = 0;
    // No room on the disk, or a file error: on every tick while it lasts.
    virtual void OnDiskSpaceError() = 0;
    // Every torrent has finished: the step takes its result. False (the step has
    // reported why) keeps the download as it is; a later finish asks again.
    virtual bool OnAllFinished() = 0;
    // The tick after OnAllFinished said yes.
    virtual void OnComplete() = 0;
    // Every byte was reported for the completion time-out without the finish; once.
    virtual void OnCompleteTimeout() = 0;
    // The completion time-out runs now (the future-update mode holds it).
    virtual bool CompletionTimeoutApplies() { return true; }

protected:
    ~IDownloadSink() = default;
};
