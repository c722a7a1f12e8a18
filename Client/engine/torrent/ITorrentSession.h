#pragma once
// A torrent session of one download step: adds the step's torrents and turns the
// engine's alerts into their events. UI thread only.
#include <cstdint>
#include <functional>

#include "base/runtime/RefCounter.h"
#include "base/runtime/String.h"
#include "engine/torrent/ITorrent.h"

class ITorrentSession : public RefCounter {
public:
    // A torrent whose payload files must all exist under savePath already; null when
    // one is missing or the torrent cannot be added.
    virtual RefPtr<ITorrent> AddExistingTorrent(const WideString& torrentFile, const WideString& savePath) = 0;
    // A torrent (the file's last path component, looked up in the session folder) that
    // downloads into the session folder; null when it cannot be added.
    virtual RefPtr<ITorrent> AddTorrent(const WideString& torrentFile) = 0;
    // Takes every pending engine alert and fires the torrents' events. Always true.
    virtual bool ProcessAlerts() = 0;
    // kB/s for the whole session; 0 or less means unlimited.
    virtual void SetDownloadLimit(int kilobytesPerSecond) = 0;
    virtual bool IsPaused() = 0;
    virtual void Pause() = 0;
    virtual void Resume() = 0;
    // Called on the engine's own thread whenever alerts are waiting after ProcessAlerts
    // took the last ones; it must only hand over (a wake-up of the UI thread). Empty:
    // none. Sessions without such a signal ignore it.
    virtual void SetAlertNotify(std::function<void()> notify) { (void)notify; }

    // For the owner's timer: OnTick.Connect<&ITorrentSession::OnTimerTick>(session).
    bool OnTimerTick(std::int64_t) { return ProcessAlerts(); }

protected:
    ~ITorrentSession() override = default;
};
