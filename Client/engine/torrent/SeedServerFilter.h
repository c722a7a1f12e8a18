#pragma once
// The IP filter of every torrent session: the engine's own, with every address of
// every seed server admitted, so that whatever range a rule blocks, the servers that
// serve each torrent as its web seeds (and answer as its tracker) stay reachable.
#include <string>

#include <libtorrent/ip_filter.hpp>

#include "base/runtime/String.h"

namespace TorrentEngine {

// The host of a seed URL: after "://" (or a colon and two backslashes; else from the
// start) up to the first '/' or '\', without a port and without the brackets of an
// IPv6 address. Empty when nothing is left.
std::string SeedHost(const std::string& url);

// base, with each IPv4 and IPv6 address that each seed URL's host resolves to admitted
// as a range of its own. A host that does not resolve adds nothing.
lt::ip_filter AdmitSeedServers(lt::ip_filter base, const StringVector& seedUrls);

}  // namespace TorrentEngine
