#include "engine/torrent/SeedServerFilter.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <algorithm>
#include <memory>

namespace TorrentEngine {

std::string SeedHost(const std::string& url) {
    std::size_t start = url.find("://");
    if (start == std::string::npos) start = url.find(":\\\\");
    start = start == std::string::npos ? 0 : start + 3;
    if (start > url.size()) return std::string();
    std::string host = url.substr(start, url.find_first_of("/\\", start) - start);
    if (!host.empty() && host[0] == '[') {
        const std::size_t close = host.find(']');
        return close == std::string::npos ? std::string() : host.substr(1, close - 1);
    }
    // One colon is a port; more make an IPv6 address without brackets.
    const std::size_t colon = host.find(':');
    if (colon != std::string::npos && host.find(':', colon + 1) == std::string::npos) host.resize(colon);
    return host;
}

lt::ip_filter AdmitSeedServers(lt::ip_filter base, const StringVector& seedUrls) {
    for (const String& url : seedUrls) {
        const std::string host = SeedHost(url.Std());
        if (host.empty()) continue;
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0) continue;
        const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> answer(found, &::freeaddrinfo);
        for (const addrinfo* entry = found; entry; entry = entry->ai_next) {
            lt::address address;
            if (entry->ai_family == AF_INET && entry->ai_addrlen >= sizeof(sockaddr_in)) {
                const auto* in = reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
                address = lt::address_v4(ntohl(in->sin_addr.s_addr));
            } else if (entry->ai_family == AF_INET6 && entry->ai_addrlen >= sizeof(sockaddr_in6)) {
                const auto* in6 = reinterpret_cast<const sockaddr_in6*>(entry->ai_addr);
                lt::address_v6::bytes_type bytes;
                std::copy(in6->sin6_addr.s6_addr, in6->sin6_addr.s6_addr + 16, bytes.begin());
                address = lt::address_v6(bytes);
            } else {
                continue;
            }
            base.add_rule(address, address, 0);  // 0: allowed
        }
    }
    return base;
}

}  // namespace TorrentEngine
