#include "support/torrents/SeedSession.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <thread>

#include <libtorrent/add_torrent_params.hpp>
#include <libtorrent/alert.hpp>
#include <libtorrent/session_params.hpp>
#include <libtorrent/settings_pack.hpp>
#include <libtorrent/torrent_flags.hpp>
#include <libtorrent/torrent_handle.hpp>
#include <libtorrent/torrent_info.hpp>
#include <libtorrent/torrent_status.hpp>

SeedSession::SeedSession() : SeedSession(Options()) {}

SeedSession::SeedSession(const Options& options) : address_(options.address) {
    lt::settings_pack pack = options.highPerformance ? lt::high_performance_seed() : lt::settings_pack();
    pack.set_str(lt::settings_pack::listen_interfaces, options.address + ":0");
    pack.set_bool(lt::settings_pack::enable_dht, false);
    pack.set_bool(lt::settings_pack::enable_lsd, false);
    pack.set_bool(lt::settings_pack::enable_upnp, false);
    pack.set_bool(lt::settings_pack::enable_natpmp, false);
    pack.set_str(lt::settings_pack::dht_bootstrap_nodes, "");
    pack.set_bool(lt::settings_pack::enable_outgoing_utp, false);
    pack.set_bool(lt::settings_pack::enable_incoming_utp, false);
    pack.set_int(lt::settings_pack::alert_mask, lt::alert_category::error);
    // Files are never mapped, as in the launcher's sessions: a mapped read would take
    // SIGBUS over in the test process.
    pack.set_int(lt::settings_pack::mmap_file_size_cutoff, INT_MAX);
    session_ = std::make_unique<lt::session>(lt::session_params(std::move(pack)));
}

SeedSession::~SeedSession() = default;

namespace {

lt::torrent_handle AddTo(lt::session& session, const std::string& torrentBytes, const std::string& folder,
                         lt::torrent_flags_t flags) {
    lt::error_code ec;
    auto info = std::make_shared<lt::torrent_info>(
        lt::span<const char>(torrentBytes.data(), static_cast<std::ptrdiff_t>(torrentBytes.size())), ec, lt::from_span);
    if (ec) {
        ADD_FAILURE() << "bad torrent: " << ec.message();
        return {};
    }
    // The seed is the peer a tracker names; it asks no tracker itself, which would only
    // name it back to itself.
    info->clear_trackers();
    lt::add_torrent_params params;
    params.ti = info;
    params.save_path = folder;
    params.flags = flags;
    lt::torrent_handle handle = session.add_torrent(std::move(params), ec);
    if (ec) ADD_FAILURE() << "torrent not added: " << ec.message();
    return handle;
}

}  // namespace

bool SeedSession::Seed(const std::string& torrentBytes, const std::string& folder) {
    const lt::torrent_handle handle = AddTo(*session_, torrentBytes, folder, lt::torrent_flags::seed_mode);
    if (!handle.is_valid()) return false;
    // A peer that dials a torrent still being set up is turned away, and libtorrent
    // tries that peer again only a minute later: the seed is ready before it is named.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (handle.status({}).state != lt::torrent_status::seeding) {
        if (std::chrono::steady_clock::now() >= deadline) {
            ADD_FAILURE() << "the seed did not start seeding";
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

lt::torrent_handle SeedSession::DownloadFrom(const std::string& torrentBytes, const std::string& folder,
                                             const lt::tcp::endpoint& from) {
    lt::torrent_handle handle = AddTo(*session_, torrentBytes, folder, {});
    if (handle.is_valid()) handle.connect_peer(from);
    return handle;
}

void SeedSession::LimitUploads(int bytesPerSecond) {
    for (const lt::torrent_handle& handle : session_->get_torrents()) handle.set_upload_limit(bytesPerSecond);
}

int SeedSession::Port() const { return session_->listen_port(); }

lt::tcp::endpoint SeedSession::Endpoint() const {
    return lt::tcp::endpoint(lt::make_address(address_), static_cast<unsigned short>(Port()));
}
