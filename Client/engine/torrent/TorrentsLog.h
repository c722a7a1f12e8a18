#pragma once
// Watches the torrents of one download step: relays their state changes and finishes
// to the owner, keeps every peer seen, and writes "torrents.log": a line when a
// torrent starts, and on each finish the statistics of its peers. UI thread only.
#include <cstdint>
#include <map>
#include <string>

#include "base/runtime/Event.h"
#include "base/runtime/RefCounter.h"
#include "base/runtime/Vector.h"
#include "engine/torrent/ITorrent.h"

class TorrentsLog;

// One peer's line of the statistics.
struct PeerStats {
    WideString key;
    WideString endpoint;
    WideString id;
    int upSpeed = 0;
    int downSpeed = 0;
    std::uint32_t totalDownload = 0;
    std::uint32_t totalUpload = 0;
};

class TorrentState final : public RefCounter {
public:
    // The owner keeps the torrent alive as long as this state is connected to it.
    TorrentState(TorrentsLog* owner, ITorrent* torrent) : owner_(owner), torrent_(torrent) {}

    bool OnStateChanged(int state);
    bool OnFinished();
    // Adds the torrent's current peers; a known endpoint only updates its totals.
    void UpdatePeers();

    int LastState() const { return lastState_; }
    // Every peer seen so far, ordered by endpoint text.
    Vector<PeerStats> Statistics() const;

private:
    ~TorrentState() override = default;

    TorrentsLog* owner_;
    int lastState_ = -1;
    ITorrent* torrent_;
    std::map<std::u16string, TorrentPeerInfo> peers_;
};

class TorrentsLog {
public:
    Event<int> StateChanged;
    Event<> Finished;

    TorrentsLog() = default;
    TorrentsLog(const TorrentsLog&) = delete;
    TorrentsLog& operator=(const TorrentsLog&) = delete;

    void AddTorrent(ITorrent* torrent);
    // Some watched torrent last reported this state.
    bool AnyInState(int state) const;
    void UpdateAll();

private:
    Vector<RefPtr<TorrentState>> states_;
};
