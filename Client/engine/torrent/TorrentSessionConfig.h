#pragma once
// What a download step tells its torrent session: where it listens, which HTTP seed
// servers serve as web seeds of every torrent, and whether the session may reach the
// public network (DHT, local discovery, port mapping). Tests keep the session on
// loopback with the last switch and an injected seed list.
#include "base/runtime/String.h"

struct TorrentSessionConfig {
    // Listen ports: the session takes the first one it can bind in this range. 0 and 0
    // let the system pick one.
    int listenPortFirst = 6968;
    int listenPortLast = 6978;
    // The address to listen on (dotted IPv4 or bracketed IPv6); empty means every
    // IPv4 and IPv6 interface.
    String listenInterface;
    // The HTTP seed servers, in order.
    StringVector seedUrls;
    // Off: no DHT and no bootstrap routers, no local service discovery, no UPnP and
    // no NAT-PMP, so that nothing but the seed URLs and the torrents' trackers is asked.
    bool publicDiscovery = true;
    // uTP next to TCP. Over loopback libtorrent's uTP is far slower than TCP, so tests
    // that move real data turn it off.
    bool utp = true;

    // Fills the seed URLs from one text: cut at each ';', empty pieces skipped, the
    // others appended in order.
    void SetSeedUrls(const String& text);
};
