#pragma once
// The libtorrent session of one download step, for the step's folder. It is created,
// driven and destroyed on the UI thread; libtorrent's own threads hand over only
// through the alert queue, which ProcessAlerts drains on the owner's timer tick.
//
// Nothing of a session is kept: no session or DHT state is saved or loaded, and the
// downloaded files stay on disk when it ends.
#include <map>
#include <memory>

#include <libtorrent/alert.hpp>
#include <libtorrent/session.hpp>
#include <libtorrent/torrent_handle.hpp>

#include "engine/torrent/ITorrentSession.h"
#include "engine/torrent/TorrentSessionConfig.h"

class Torrent;

class TorrentSession final : public ITorrentSession {
public:
    // Null when the folder does not exist or the engine cannot be set up. The seed
    // servers' addresses are looked up here, for the IP filter that admits them.
    // uploadLimit: bytes per second for every torrent; 0 or less means unlimited.
    static RefPtr<TorrentSession> Create(const TorrentSessionConfig& config, const WideString& folder, int uploadLimit);

    RefPtr<ITorrent> AddExistingTorrent(const WideString& torrentFile, const WideString& savePath) override;
    RefPtr<ITorrent> AddTorrent(const WideString& torrentFile) override;
    bool ProcessAlerts() override;
    void SetDownloadLimit(int kilobytesPerSecond) override;
    bool IsPaused() override;
    void Pause() override;
    void Resume() override;
    void SetAlertNotify(std::function<void()> notify) override;

    // The torrent file folder/<last component of name>, saved below savePath.
    RefPtr<ITorrent> AddTorrentFile(const WideString& name, const WideString& savePath, bool mustExist);

    const TorrentSessionConfig& Config() const { return config_; }
    const WideString& Folder() const { return folder_; }
    // For the torrents this session adds (and tests that look under the hood).
    lt::session& Engine() { return *engine_; }

private:
    TorrentSession(const WideString& folder, const TorrentSessionConfig& config, std::unique_ptr<lt::session> engine,
                   int uploadLimit);
    ~TorrentSession() override;

    void Dispatch(const lt::alert& alert);
    RefPtr<Torrent> FindTorrent(const lt::torrent_handle& handle);

    WideString folder_;
    TorrentSessionConfig config_;
    std::unique_ptr<lt::session> engine_;
    int uploadLimit_;
    std::map<lt::torrent_handle, WeakPtr<Torrent>> torrents_;
    bool dispatching_ = false;
};
