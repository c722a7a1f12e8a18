#include "engine/torrent/TorrentSessionParams.h"

#include <climits>

#include <libtorrent/alert.hpp>
#include <libtorrent/fingerprint.hpp>
#include <libtorrent/settings_pack.hpp>

namespace TorrentEngine {
namespace {

constexpr char kBootstrapRouters[] = "router.bittorrent.com:6881,router.utorrent.com:6881,dht.transmissionbt.com:6881";

// Only what the session turns into torrent events, plus the errors and warnings.
// libtorrent 2.0's other categories (per block, per piece, upload, logging) post
// thousands of alerts per download: past alert_queue_size the queue drops alerts,
// and a dropped "finished" would never complete its download. The connect category
// holds only a peer's connection and its end, one alert each.
constexpr lt::alert_category_t kAlertMask = lt::alert_category::error | lt::alert_category::peer |
                                            lt::alert_category::port_mapping | lt::alert_category::storage |
                                            lt::alert_category::tracker | lt::alert_category::connect |
                                            lt::alert_category::status | lt::alert_category::ip_block |
                                            lt::alert_category::performance_warning;

}  // namespace

std::string ListenInterfaces(const TorrentSessionConfig& config) {
    const std::string port = std::to_string(config.listenPortFirst > 0 ? config.listenPortFirst : 0);
    if (!config.listenInterface.IsEmpty()) return config.listenInterface.Std() + ":" + port;
    return "0.0.0.0:" + port + ",[::]:" + port;
}

lt::session_params MakeSessionParams(const TorrentSessionConfig& config) {
    lt::settings_pack pack;
    pack.set_str(lt::settings_pack::peer_fingerprint, lt::generate_fingerprint("LT", 0, 15, 0, 0));

    const bool discovery = config.publicDiscovery;
    pack.set_bool(lt::settings_pack::enable_upnp, discovery);
    pack.set_bool(lt::settings_pack::enable_natpmp, discovery);
    pack.set_bool(lt::settings_pack::enable_lsd, discovery);
    pack.set_bool(lt::settings_pack::enable_dht, discovery);
    pack.set_str(lt::settings_pack::dht_bootstrap_nodes, discovery ? kBootstrapRouters : "");
    pack.set_int(lt::settings_pack::dht_max_peers_reply, 100);
    pack.set_int(lt::settings_pack::dht_search_branching, 10);
    pack.set_int(lt::settings_pack::dht_max_fail_count, 10);

    pack.set_bool(lt::settings_pack::enable_outgoing_utp, config.utp);
    pack.set_bool(lt::settings_pack::enable_incoming_utp, config.utp);

    pack.set_int(lt::settings_pack::download_rate_limit, 0);  // unlimited
    pack.set_int(lt::settings_pack::upload_rate_limit, 0);

    // libtorrent 2.0 takes no port range: it retries the following ports instead.
    pack.set_str(lt::settings_pack::listen_interfaces, ListenInterfaces(config));
    const int retries = config.listenPortLast - config.listenPortFirst;
    pack.set_int(lt::settings_pack::max_retry_port_bind, config.listenPortFirst > 0 && retries > 0 ? retries : 0);

    pack.set_bool(lt::settings_pack::use_dht_as_fallback, false);
    pack.set_int(lt::settings_pack::active_seeds, -1);
    pack.set_bool(lt::settings_pack::dont_count_slow_torrents, true);
    pack.set_int(lt::settings_pack::auto_manage_interval, 15);

    pack.set_int(lt::settings_pack::alert_mask, kAlertMask);

    // No file is ever mapped: the disk threads read and write with pread/pwrite. A
    // mapped access would install libtorrent's own SIGBUS handler, which does not chain
    // to the one that guards the launcher's mapped reads; mappings of large downloads
    // also swell the resident memory. (The single-threaded POSIX back end avoids both
    // as well, but does its disk work on the network thread, at half the speed.)
    pack.set_int(lt::settings_pack::mmap_file_size_cutoff, INT_MAX);

    return lt::session_params(std::move(pack));
}

}  // namespace TorrentEngine
