#include "engine/torrent/Torrent.h"

#include <climits>
#include <cmath>
#include <exception>
#include <functional>
#include <string>

#include <libtorrent/peer_info.hpp>
#include <libtorrent/session.hpp>
#include <libtorrent/torrent_flags.hpp>
#include <libtorrent/torrent_status.hpp>
#include <libtorrent/write_resume_data.hpp>

#include "base/io/FileStream.h"
#include "base/runtime/StrUtil.h"
#include "engine/torrent/PeerText.h"
#include "engine/torrent/TorrentSession.h"

namespace {

// Changes of a limit smaller than this are no change; about 0 is a pause.
constexpr float kLimitEpsilon = 0.0001f;

// Bytes per second for the engine from kB/s, saturated instead of overflowing.
int BytesPerSecond(double kilobytesPerSecond) {
    const double bytes = kilobytesPerSecond * 1024.0;
    return bytes >= static_cast<double>(INT_MAX) ? INT_MAX : static_cast<int>(bytes);
}

TorrentPeerInfo PeerInfo(const lt::peer_info& peer) {
    TorrentPeerInfo info;
    info.endpoint = EndpointText(peer.ip.address(), peer.ip.port());
    info.id = PeerIdText(peer.pid);
    info.upSpeed = peer.total_upload > 0 ? peer.up_speed : 0;
    info.downSpeed = peer.down_speed;
    info.totalDownload = static_cast<std::uint32_t>(peer.total_download);
    info.totalUpload = static_cast<std::uint32_t>(peer.total_upload);
    return info;
}

}  // namespace

RefPtr<Torrent> Torrent::Create(TorrentSession* session, const WideString& torrentPath, const WideString& resumePath,
                                const WideString& savePath, bool mustExist, int uploadLimit) {
    if (!session) return nullptr;
    TorrentInfoPtr info = LoadTorrentInfo(torrentPath);
    if (!info) return nullptr;
    if (mustExist && !AllFilesExist(*info, savePath)) return nullptr;
    const String saveFolder = ShortPathName(savePath);
    if (saveFolder.IsEmpty()) return nullptr;

    lt::add_torrent_params params;
    params.ti = info;
    params.save_path = saveFolder.Std();
    params.storage_mode = lt::storage_mode_sparse;
    // Not auto-managed yet: the queue would start it before the owner has connected
    // its events and chosen its files.
    params.flags = lt::torrent_flags::paused | lt::torrent_flags::apply_ip_filter;
    params.max_connections = 100;
    params.max_uploads = -1;
    params.upload_limit = uploadLimit > 0 ? uploadLimit : 0;
    params.download_limit = 0;  // unlimited
    for (const String& url : session->Config().seedUrls) {
        if (!url.IsEmpty()) params.url_seeds.push_back(url.Std());
    }

    lt::torrent_handle handle;
    try {
        lt::error_code ec;
        handle = session->Engine().add_torrent(std::move(params), ec);
        if (ec || !handle.is_valid()) return nullptr;
    } catch (const std::exception&) {
        return nullptr;
    }
    return RefPtr<Torrent>(new Torrent(session, handle, std::move(info), StrUtil::ToLowerAscii(torrentPath), resumePath));
}

Torrent::Torrent(TorrentSession* session, const lt::torrent_handle& handle, TorrentInfoPtr info,
                 const WideString& name, const WideString& resumePath)
    : session_(session),
      handle_(handle),
      info_(std::move(info)),
      totalSize_(PayloadSize(*info_)),
      resumePath_(resumePath),
      name_(name),
      priorities_(static_cast<std::size_t>(info_->num_files()), lt::default_priority) {}

Torrent::~Torrent() {
    // The session removes the torrent from the engine when it ends; until then the
    // torrent must not download for nobody.
    Pause(true);
}

void Torrent::GetSelectedFiles(StringVector& files) {
    files.Clear();
    const lt::file_storage& storage = info_->files();
    for (const lt::file_index_t index : storage.file_range()) {
        if (!IsPayloadFile(storage, index)) continue;
        if (priorities_[static_cast<std::size_t>(static_cast<int>(index))] > lt::dont_download) {
            files.PushBack(String(storage.file_path(index).c_str()));
        }
    }
}

int Torrent::GetState() {
    try {
        return static_cast<int>(handle_.status({}).state);
    } catch (const std::exception&) {
        return -1;
    }
}

void Torrent::GetProgress(TorrentProgress& progress) {
    progress = TorrentProgress();
    lt::torrent_status status;
    try {
        status = handle_.status(lt::torrent_handle::query_accurate_download_counters);
    } catch (const std::exception&) {
        return;
    }
    progress.percent = totalSize_ > 0 ? static_cast<int>(static_cast<double>(status.total_done) * 100.0 /
                                                         static_cast<double>(totalSize_))
                                      : 0;
    progress.numPeers = status.num_peers;
    progress.totalDone = status.total_done;
    progress.downloadRate = status.download_payload_rate;
    progress.wantedDone = status.total_wanted_done;
    progress.uploaded = status.total_payload_upload;
    progress.uploadRate = status.upload_payload_rate;
}

void Torrent::GetPeers(Vector<TorrentPeerInfo>& peers) {
    std::vector<lt::peer_info> engine;
    try {
        handle_.get_peer_info(engine);
    } catch (const std::exception&) {
        return;
    }
    for (const lt::peer_info& peer : engine) peers.PushBack(PeerInfo(peer));
}

bool Torrent::IsPaused() {
    try {
        return static_cast<bool>(handle_.flags() & lt::torrent_flags::paused);
    } catch (const std::exception&) {
        return false;
    }
}

void Torrent::Pause(bool pause) {
    resumeWanted_ = !pause;
    if (!pause) {
        ResumeOnceChoiceHeld();
        return;
    }
    try {
        handle_.unset_flags(lt::torrent_flags::auto_managed);
        handle_.pause();
    } catch (const std::exception&) {
        // A torrent that the engine no longer knows has nothing to pause.
    }
}

void Torrent::ResumeOnceChoiceHeld() {
    if (!resumeWanted_ || !choiceHeld_) return;
    resumeWanted_ = false;
    try {
        handle_.set_flags(lt::torrent_flags::auto_managed);
        handle_.resume();
    } catch (const std::exception&) {
        // A torrent that the engine no longer knows has nothing to resume.
    }
}

void Torrent::SetDownloadLimit(float kilobytesPerSecond) {
    if (std::fabs(kilobytesPerSecond) <= kLimitEpsilon) {
        Pause(true);
        return;
    }
    if (IsPaused()) Pause(false);
    const float limit = kilobytesPerSecond < 0.0f ? 0.0f : kilobytesPerSecond;
    try {
        handle_.set_download_limit(BytesPerSecond(limit));  // 0: no limit
    } catch (const std::exception&) {
    }
}

float Torrent::GetDownloadLimit() {
    if (IsPaused()) return 0.0f;
    int limit = 0;
    try {
        limit = handle_.download_limit();
    } catch (const std::exception&) {
    }
    return limit <= 0 ? -1.0f : static_cast<float>(limit) / 1024.0f;
}

bool Torrent::SelectFiles(const StringVector& names, std::int64_t& selectedSize) {
    selectedSize = 0;
    if (names.Empty()) return true;
    StringVector wanted;
    for (const String& name : names) {
        String lower;
        lower.AssignLower(name);
        wanted.PushBack(lower);
    }
    return Select(
        [&wanted](const std::string& path) {
            String full;
            full.AssignLower(String(path.c_str()));
            const std::ptrdiff_t cut = full.Find("/");
            const String withoutTop = cut < 0 ? full : String(full.Substr(static_cast<std::size_t>(cut) + 1));
            for (const String& name : wanted) {
                if (name == full || name == withoutTop) return true;
            }
            return false;
        },
        selectedSize);
}

bool Torrent::SelectExactFiles(const StringVector& paths, std::int64_t& selectedSize) {
    selectedSize = 0;
    return Select(
        [&paths](const std::string& path) {
            for (const String& wanted : paths) {
                if (wanted.Std() == path) return true;
            }
            return false;
        },
        selectedSize);
}

bool Torrent::Select(const std::function<bool(const std::string& path)>& isWanted, std::int64_t& selectedSize) {
    selectedSize = 0;
    const lt::file_storage& storage = info_->files();
    lt::file_index_t first{-1};
    for (const lt::file_index_t index : storage.file_range()) {
        if (IsPayloadFile(storage, index)) {
            first = index;
            break;
        }
    }
    if (first < lt::file_index_t{0}) return false;

    const std::string firstPath = storage.file_path(first);
    const std::size_t slash = firstPath.find('/');
    rootFolder_ = slash == std::string::npos ? WideString() : StrUtil::ToWide(String(firstPath.substr(0, slash + 1).c_str()));

    std::vector<lt::download_priority_t> priorities(priorities_.size(), lt::dont_download);
    for (const lt::file_index_t index : storage.file_range()) {
        if (!IsPayloadFile(storage, index)) continue;
        if (isWanted(storage.file_path(index))) {
            priorities[static_cast<std::size_t>(static_cast<int>(index))] = lt::low_priority;
            selectedSize += storage.file_size(index);
        }
    }
    try {
        handle_.prioritize_files(priorities);
    } catch (const std::exception&) {
        selectedSize = 0;
        return false;
    }
    priorities_ = std::move(priorities);
    choiceHeld_ = false;
    return true;
}

void Torrent::Reannounce() {
    try {
        handle_.force_reannounce();
    } catch (const std::exception&) {
    }
}

void Torrent::OnStateChanged(int state) { StateChanged.Fire(state); }

void Torrent::OnDownloadFinished() {
    try {
        handle_.flush_cache();
        finishing_ = true;
    } catch (const std::exception&) {
        Finished.Fire();  // nothing the engine could still write
    }
}

void Torrent::OnPrioritiesApplied() {
    try {
        if (handle_.get_file_priorities() != priorities_) {
            handle_.prioritize_files(priorities_);
            return;
        }
    } catch (const std::exception&) {
        return;  // a torrent that the engine no longer knows has no priorities to mend
    }
    choiceHeld_ = true;
    ResumeOnceChoiceHeld();
}

void Torrent::OnCacheFlushed() {
    if (!finishing_) return;
    finishing_ = false;
    Finished.Fire();
}

void Torrent::OnPeerConnected(const lt::peer_id& id, const lt::tcp::endpoint& endpoint) {
    PeerConnected.Fire(PeerIdText(id), EndpointText(endpoint.address(), endpoint.port()));
}

void Torrent::OnPeerDisconnected(const lt::peer_id& id, const lt::tcp::endpoint& endpoint) {
    PeerDisconnected.Fire(PeerIdText(id), EndpointText(endpoint.address(), endpoint.port()));
}

void Torrent::SaveResumeData(const lt::add_torrent_params& resumeData) {
    std::vector<char> bytes;
    try {
        bytes = lt::write_resume_data_buf(resumeData);
    } catch (const std::exception&) {
        return;
    }
    RefPtr<CFileStream> file(new CFileStream(resumePath_, true));
    file->Write(bytes.data(), bytes.size());
    file->Close();
}
