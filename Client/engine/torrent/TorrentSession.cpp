#include "engine/torrent/TorrentSession.h"

#include <sys/stat.h>

#include <climits>
#include <exception>
#include <vector>

#include <libtorrent/alert_types.hpp>
#include <libtorrent/settings_pack.hpp>

#include "base/io/Path.h"
#include "engine/torrent/SeedServerFilter.h"
#include "engine/torrent/Torrent.h"
#include "engine/torrent/TorrentSessionParams.h"

namespace {

bool IsFolder(const WideString& path) {
    struct stat info {};
    return ::stat(String(path).CStr(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The last path component, whichever separator the name uses.
WideString LastComponent(const WideString& name) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < name.Length(); ++i) {
        if (name[i] == u'/' || name[i] == u'\\') start = i + 1;
    }
    return name.Substr(start);
}

WideString JoinPath(const WideString& folder, const WideString& name) {
    if (folder.IsEmpty()) return name;
    const char16_t last = folder[folder.Length() - 1];
    return last == u'/' || last == u'\\' ? folder + name : folder + WideString(u"/") + name;
}

WideString Normalized(const WideString& path) {
    String narrow(path);
    Path::NormalizeInPlace(narrow);
    return WideString(narrow);
}

// The alerts that become torrent events; every other alert is dropped.
bool IsTorrentEvent(int type) {
    switch (type) {
        case lt::torrent_paused_alert::alert_type:
        case lt::torrent_resumed_alert::alert_type:
        case lt::state_changed_alert::alert_type:
        case lt::peer_connect_alert::alert_type:
        case lt::peer_disconnected_alert::alert_type:
        case lt::torrent_finished_alert::alert_type:
        case lt::cache_flushed_alert::alert_type:
        case lt::torrent_deleted_alert::alert_type:
        case lt::torrent_delete_failed_alert::alert_type:
        case lt::file_error_alert::alert_type:
        case lt::save_resume_data_alert::alert_type:
        case lt::file_prio_alert::alert_type:
            return true;
        default:
            return false;
    }
}

}  // namespace

RefPtr<TorrentSession> TorrentSession::Create(const TorrentSessionConfig& config, const WideString& folder,
                                              int uploadLimit) {
    const WideString normalized = Normalized(folder);
    if (!IsFolder(normalized)) return nullptr;
    std::unique_ptr<lt::session> engine;
    try {
        engine = std::make_unique<lt::session>(TorrentEngine::MakeSessionParams(config));
        engine->set_ip_filter(TorrentEngine::AdmitSeedServers(engine->get_ip_filter(), config.seedUrls));
    } catch (const std::exception&) {
        return nullptr;
    }
    return RefPtr<TorrentSession>(new TorrentSession(normalized, config, std::move(engine), uploadLimit));
}

TorrentSession::TorrentSession(const WideString& folder, const TorrentSessionConfig& config,
                               std::unique_ptr<lt::session> engine, int uploadLimit)
    : folder_(folder), config_(config), engine_(std::move(engine)), uploadLimit_(uploadLimit) {}

TorrentSession::~TorrentSession() {
    try {
        engine_->set_alert_notify({});
        for (const auto& entry : torrents_) engine_->remove_torrent(entry.first, {});  // the files stay
        engine_->pause();
        lt::settings_pack stop;
        stop.set_bool(lt::settings_pack::enable_lsd, false);
        stop.set_bool(lt::settings_pack::enable_dht, false);
        stop.set_bool(lt::settings_pack::enable_natpmp, false);
        stop.set_bool(lt::settings_pack::enable_upnp, false);
        engine_->apply_settings(std::move(stop));
    } catch (const std::exception&) {
        // The engine goes down below in any case.
    }
    // Blocks until libtorrent has stopped: trackers hear "stopped" (bounded by its
    // stop_tracker_timeout), the disk threads finish their writes.
    engine_.reset();
}

RefPtr<ITorrent> TorrentSession::AddExistingTorrent(const WideString& torrentFile, const WideString& savePath) {
    return AddTorrentFile(torrentFile, savePath, true);
}

RefPtr<ITorrent> TorrentSession::AddTorrent(const WideString& torrentFile) {
    return AddTorrentFile(torrentFile, folder_, false);
}

RefPtr<ITorrent> TorrentSession::AddTorrentFile(const WideString& name, const WideString& savePath, bool mustExist) {
    const WideString file = LastComponent(name);
    const WideString torrentPath = Normalized(JoinPath(folder_, file));
    const WideString resumePath = Normalized(JoinPath(folder_, file + WideString(u".fastresume")));
    RefPtr<Torrent> torrent = Torrent::Create(this, torrentPath, resumePath, savePath, mustExist, uploadLimit_);
    if (!torrent) return nullptr;
    torrents_[torrent->Handle()] = WeakPtr<Torrent>(torrent.Get());
    return RefPtr<ITorrent>(torrent.Get());
}

void TorrentSession::SetAlertNotify(std::function<void()> notify) {
    try {
        engine_->set_alert_notify(std::move(notify));
    } catch (const std::exception&) {
        // Without the signal the owner's tick still takes the alerts.
    }
}

bool TorrentSession::ProcessAlerts() {
    // The alerts' memory belongs to the engine until the next pop: a nested call (a
    // handler's modal loop ticking the owner's timer) leaves the batch to the outer one.
    if (dispatching_) return true;
    // A handler may release the owner's last reference; the engine, and with it the
    // batch, must outlive the loop.
    RefPtr<TorrentSession> self(this);
    dispatching_ = true;
    std::vector<lt::alert*> alerts;
    try {
        engine_->pop_alerts(&alerts);
    } catch (const std::exception&) {
        alerts.clear();
    }
    for (const lt::alert* alert : alerts) {
        if (Counts().strong == 1) break;  // only this call holds the session: nobody listens any more
        Dispatch(*alert);
    }
    dispatching_ = false;
    return true;
}

void TorrentSession::Dispatch(const lt::alert& alert) {
    if (!IsTorrentEvent(alert.type())) return;
    RefPtr<Torrent> torrent = FindTorrent(static_cast<const lt::torrent_alert&>(alert).handle);
    if (!torrent) return;
    switch (alert.type()) {
        case lt::torrent_paused_alert::alert_type:
            torrent->Paused.Fire();
            break;
        case lt::torrent_resumed_alert::alert_type:
            torrent->Resumed.Fire();
            break;
        case lt::state_changed_alert::alert_type:
            torrent->OnStateChanged(static_cast<int>(lt::alert_cast<lt::state_changed_alert>(&alert)->state));
            break;
        case lt::peer_connect_alert::alert_type: {
            const auto* peer = lt::alert_cast<lt::peer_connect_alert>(&alert);
            torrent->OnPeerConnected(peer->pid, peer->endpoint);
            break;
        }
        case lt::peer_disconnected_alert::alert_type: {
            const auto* peer = lt::alert_cast<lt::peer_disconnected_alert>(&alert);
            torrent->OnPeerDisconnected(peer->pid, peer->endpoint);
            break;
        }
        case lt::torrent_finished_alert::alert_type:
            torrent->OnDownloadFinished();
            break;
        case lt::cache_flushed_alert::alert_type:
            torrent->OnCacheFlushed();
            break;
        case lt::torrent_deleted_alert::alert_type:
            torrent->Deleted.Fire();
            break;
        case lt::torrent_delete_failed_alert::alert_type:
            torrent->DeleteFailed.Fire();
            break;
        case lt::file_error_alert::alert_type:
            torrent->FileError.Fire();
            break;
        case lt::save_resume_data_alert::alert_type:
            torrent->SaveResumeData(lt::alert_cast<lt::save_resume_data_alert>(&alert)->params);
            break;
        case lt::file_prio_alert::alert_type:
            torrent->OnPrioritiesApplied();
            break;
    }
}

RefPtr<Torrent> TorrentSession::FindTorrent(const lt::torrent_handle& handle) {
    const auto found = torrents_.find(handle);
    if (found == torrents_.end()) return nullptr;
    RefPtr<Torrent> torrent = found->second.Lock();
    if (!torrent) torrents_.erase(found);
    return torrent;
}

void TorrentSession::SetDownloadLimit(int kilobytesPerSecond) {
    const long long bytes = static_cast<long long>(kilobytesPerSecond) * 1024;
    lt::settings_pack limit;
    limit.set_int(lt::settings_pack::download_rate_limit,
                  bytes <= 0 ? 0 : (bytes > INT_MAX ? INT_MAX : static_cast<int>(bytes)));
    try {
        engine_->apply_settings(std::move(limit));
    } catch (const std::exception&) {
    }
}

bool TorrentSession::IsPaused() {
    try {
        return engine_->is_paused();
    } catch (const std::exception&) {
        return false;
    }
}

void TorrentSession::Pause() {
    try {
        engine_->pause();
    } catch (const std::exception&) {
    }
}

void TorrentSession::Resume() {
    try {
        engine_->resume();
    } catch (const std::exception&) {
    }
}
