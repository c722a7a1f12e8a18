#pragma once
// The engine settings of every torrent session. Kept apart from the session so that a
// bare libtorrent session can be built with exactly the same settings (the download
// benchmark compares the two).
#include <libtorrent/session_params.hpp>

#include "engine/torrent/TorrentSessionConfig.h"

namespace TorrentEngine {

// Settings the session is created with. Everything not named here keeps libtorrent's
// default; the default plugins (ut_metadata, ut_pex, smart_ban) come with the params.
lt::session_params MakeSessionParams(const TorrentSessionConfig& config);

// The "listen_interfaces" text for the configuration.
std::string ListenInterfaces(const TorrentSessionConfig& config);

}  // namespace TorrentEngine
