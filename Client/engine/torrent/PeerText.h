#pragma once
// Texts made from what peers send. A peer id is 20 arbitrary bytes, so its text is
// escaped: it reaches log lines, which a raw line break or control byte would split.
#include <cstdint>

#include <libtorrent/address.hpp>
#include <libtorrent/peer_id.hpp>

#include "base/runtime/String.h"

// The peer id up to its first NUL, as UTF-8 (invalid bytes become U+FFFD), escaped.
WideString PeerIdText(const lt::peer_id& id);
// "ADDRESS : PORT": dotted IPv4 or IPv6 text, the port unsigned.
WideString EndpointText(const lt::address& address, std::uint16_t port);
// The text with control characters, line and paragraph separators written as \xNN or
// \uNNNN, and '\' doubled, so that it stays on one line and reads back unambiguously.
WideString LogSafeText(const WideString& text);
