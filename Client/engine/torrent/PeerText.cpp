#include "engine/torrent/PeerText.h"

#include <cstring>
#include <exception>

#include "base/runtime/StrUtil.h"

namespace {

bool NeedsEscape(char16_t unit) {
    return unit < 0x20 || (unit >= 0x7F && unit <= 0x9F) || unit == 0x2028 || unit == 0x2029;
}

}  // namespace

WideString LogSafeText(const WideString& text) {
    WideString safe;
    for (const char16_t unit : text) {
        if (unit == u'\\') {
            safe.Append(u"\\\\");
        } else if (NeedsEscape(unit)) {
            safe.Append(StrUtil::FormatW(unit <= 0xFF ? "\\x%02X" : "\\u%04X", static_cast<unsigned>(unit)));
        } else {
            safe.Append(unit);
        }
    }
    return safe;
}

WideString PeerIdText(const lt::peer_id& id) {
    const char* bytes = reinterpret_cast<const char*>(id.data());
    const void* nul = std::memchr(bytes, 0, id.size());
    const char* end = nul ? static_cast<const char*>(nul) : bytes + id.size();
    return LogSafeText(StrUtil::ToWide(String(bytes, end)));
}

WideString EndpointText(const lt::address& address, std::uint16_t port) {
    std::string text;
    try {
        text = address.to_string();
    } catch (const std::exception&) {
        // An address that does not format keeps an empty text; the port still tells it.
    }
    return StrUtil::ToWide(String(text.c_str())) + StrUtil::FormatW(" : %u", static_cast<unsigned>(port));
}
