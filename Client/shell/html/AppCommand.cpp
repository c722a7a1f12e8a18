#include "shell/html/AppCommand.h"

#include <climits>
#include <cstdint>
#include <strings.h>

namespace {

bool IsBlank(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    const std::size_t length = std::char_traits<char>::length(prefix);
    return text.size() >= length && strncasecmp(text.c_str(), prefix, length) == 0;
}

}  // namespace

int ParseCommandCode(const WideString& text) {
    std::size_t i = 0;
    while (i < text.Length() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.Length() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    std::int64_t value = 0;
    for (; i < text.Length() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i] - u'0');
        if (value > std::int64_t(INT_MAX) + 1) value = std::int64_t(INT_MAX) + 1;  // stays clamped
    }
    if (negative) return value > INT_MAX ? INT_MIN : -static_cast<int>(value);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

void SplitAppCommand(const WideString& text, int& code, WideString& argument) {
    code = ParseCommandCode(text);
    const std::ptrdiff_t at = text.Find(u"@");
    argument = at < 0 ? WideString() : text.Substr(static_cast<std::size_t>(at) + 1);
}

bool IsAppAddress(const std::string& uri) { return StartsWithNoCase(uri, "app:"); }

bool FindOpenHref(const std::string& uri, std::string& target) {
    static constexpr char kMarker[] = "OPEN_HREF:";
    constexpr std::size_t kLength = sizeof(kMarker) - 1;
    std::size_t at = uri.find(kMarker);
    if (at == std::string::npos && StartsWithNoCase(uri, kMarker)) at = 0;
    if (at == std::string::npos) return false;
    target = uri.substr(at + kLength);
    return true;
}

WideString DecodePercentEscapes(const std::string& text) {
    String bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int high = HexValue(text[i + 1]), low = HexValue(text[i + 2]);
            const int byte = high < 0 || low < 0 ? -1 : high * 16 + low;
            if (byte > 0) {
                bytes.Append(static_cast<char>(byte));
                i += 2;
                continue;
            }
        }
        bytes.Append(text[i]);
    }
    return WideString(bytes);
}

bool IsSafeExternalAddress(const std::string& uri) {
    if (uri.empty() || uri[0] == '-') return false;
    for (unsigned char c : uri) {
        if (c < 0x20 || c == 0x7F) return false;
    }
    return StartsWithNoCase(uri, "http://") || StartsWithNoCase(uri, "https://") || StartsWithNoCase(uri, "mailto:");
}
