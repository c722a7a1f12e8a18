#pragma once
// One torrent of a torrent session, as the download steps and the torrents log see it.
// Its events fire from ITorrentSession::ProcessAlerts, on the UI thread.
//
// States are libtorrent's: 1 checking files, 2 downloading metadata, 3 downloading,
// 4 finished, 5 seeding, 7 checking resume data; GetState adds -1 for a torrent whose
// status cannot be read. (0 and 6 no longer occur.)
//
// Pad files, which align files to pieces in hybrid torrents, are never visible here:
// file lists, sizes and percentages count the payload files only.
#include <cstdint>

#include "base/runtime/Event.h"
#include "base/runtime/RefCounter.h"
#include "base/runtime/String.h"
#include "base/runtime/Vector.h"
#include "engine/torrent/TorrentProgress.h"

class ITorrent : public RefCounter {
public:
    Event<> Paused;
    Event<> Resumed;
    Event<int> StateChanged;
    Event<const WideString&, const WideString&> PeerConnected;     // peer id text, endpoint text
    Event<const WideString&, const WideString&> PeerDisconnected;  // peer id text, endpoint text
    Event<> Finished;  // the wanted files are complete on disk
    Event<> Deleted;
    Event<> DeleteFailed;
    Event<> FileError;

    // The selected payload files' paths (UTF-8, '/'-separated, top folder included), in
    // file order.
    virtual void GetSelectedFiles(StringVector& files) = 0;
    virtual int GetState() = 0;
    // The payload bytes of the whole torrent, selected or not.
    virtual std::int64_t GetTotalSize() = 0;
    virtual void GetProgress(TorrentProgress& progress) = 0;
    // Appends one entry per connected peer, in the engine's order.
    virtual void GetPeers(Vector<TorrentPeerInfo>& peers) = 0;
    // The torrent file's path as added, lower-cased.
    virtual WideString GetName() = 0;
    virtual bool IsPaused() = 0;
    // A pause sticks until Pause(false): the engine's queue does not restart the torrent.
    // After a change of the selected files the resume waits, without blocking, until the
    // engine holds the new choice (its alert round tells).
    virtual void Pause(bool pause) = 0;
    // kB/s; about 0 pauses the torrent, below 0 removes the limit.
    virtual void SetDownloadLimit(float kilobytesPerSecond) = 0;
    // 0 while paused, -1 without a limit, else kB/s.
    virtual float GetDownloadLimit() = 0;
    // The first payload file's top folder with its '/', once SelectFiles ran; else empty.
    virtual WideString GetRootFolder() = 0;
    // Downloads only the files named (with or without the top folder, any letter case);
    // selectedSize receives their payload bytes. No names: true, nothing changes.
    virtual bool SelectFiles(const StringVector& names, std::int64_t& selectedSize) = 0;
    // Downloads only the files whose whole paths (as GetSelectedFiles gives them) are
    // named, byte for byte; no names selects nothing.
    virtual bool SelectExactFiles(const StringVector& paths, std::int64_t& selectedSize) = 0;
    virtual void Reannounce() = 0;

protected:
    ~ITorrent() override = default;
};
