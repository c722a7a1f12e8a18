#include "engine/torrent/TorrentsLog.h"

#include <ostream>

#include "base/runtime/Log.h"
#include "base/runtime/StrUtil.h"
#include "engine/torrent/PeerText.h"

namespace {

const WideString& LogName() {
    static const WideString name(u"torrents.log");
    return name;
}

// The torrent's file name (the name is its whole path), safe for one log line.
String ShownName(ITorrent& torrent) {
    const WideString name = torrent.GetName();
    std::size_t start = 0;
    for (std::size_t i = 0; i < name.Length(); ++i) {
        if (name[i] == u'/' || name[i] == u'\\') start = i + 1;
    }
    return StrUtil::ToNarrow(LogSafeText(name.Substr(start)));
}

// One line, with the log's time prefix; nothing when the log cannot be opened.
void WriteLine(const String& text) {
    if (std::ostream* log = GetLog(LogName())) *log << text.CStr() << std::endl;
}

}  // namespace

bool TorrentState::OnStateChanged(int state) {
    lastState_ = state;
    owner_->StateChanged.Fire(state);
    return true;
}

bool TorrentState::OnFinished() {
    WriteLine(String("Torrent ") + ShownName(*torrent_) + String(" finished"));
    WriteLine(String("Statistics:"));
    for (const PeerStats& peer : Statistics()) {
        WriteLine(StrUtil::Format("ip: %s, id:%s, dl: %u, up: %u", StrUtil::ToNarrow(peer.endpoint).CStr(),
                                  StrUtil::ToNarrow(peer.id).CStr(), static_cast<unsigned>(peer.totalDownload),
                                  static_cast<unsigned>(peer.totalUpload)));
    }
    owner_->Finished.Fire();
    return true;
}

void TorrentState::UpdatePeers() {
    Vector<TorrentPeerInfo> current;
    torrent_->GetPeers(current);
    for (const TorrentPeerInfo& peer : current) {
        const auto [entry, inserted] = peers_.try_emplace(peer.endpoint.Std(), peer);
        if (!inserted) {
            entry->second.totalDownload = peer.totalDownload;
            entry->second.totalUpload = peer.totalUpload;
        }
    }
}

Vector<PeerStats> TorrentState::Statistics() const {
    Vector<PeerStats> statistics;
    for (const auto& [key, peer] : peers_) {
        PeerStats stats;
        stats.key = WideString(key);
        stats.endpoint = peer.endpoint;
        stats.id = peer.id;
        stats.upSpeed = peer.upSpeed;
        stats.downSpeed = peer.downSpeed;
        stats.totalDownload = peer.totalDownload;
        stats.totalUpload = peer.totalUpload;
        statistics.PushBack(std::move(stats));
    }
    return statistics;
}

void TorrentsLog::AddTorrent(ITorrent* torrent) {
    if (!torrent) return;
    RefPtr<TorrentState> state(new TorrentState(this, torrent));
    states_.PushBack(state);
    torrent->StateChanged.Connect<&TorrentState::OnStateChanged>(state.Get());
    torrent->Finished.Connect<&TorrentState::OnFinished>(state.Get());
    WriteLine(String("Starting downloading torrent: ") + ShownName(*torrent));
}

bool TorrentsLog::AnyInState(int state) const {
    for (const RefPtr<TorrentState>& watched : states_) {
        if (watched->LastState() == state) return true;
    }
    return false;
}

void TorrentsLog::UpdateAll() {
    for (const RefPtr<TorrentState>& watched : states_) watched->UpdatePeers();
}
