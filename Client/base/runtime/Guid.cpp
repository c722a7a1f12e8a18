#include "base/runtime/Guid.h"

#include "base/runtime/StrUtil.h"

void GuidToText(const Guid& g, String& out) {
    out = StrUtil::Format("%.8X-%.4X-%.4X-%.2X%.2X-%.2X%.2X%.2X%.2X%.2X%.2X", g.data1, g.data2, g.data3, g.data4[0],
                          g.data4[1], g.data4[2], g.data4[3], g.data4[4], g.data4[5], g.data4[6], g.data4[7]);
}

namespace {
int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads count digits at text + at, most significant first.
bool ReadHex(const String& text, std::size_t at, std::size_t count, std::uint32_t& value) {
    value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const int digit = HexDigit(text[at + i]);
        if (digit < 0) return false;
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    return true;
}
}  // namespace

bool GuidFromText(const String& text, Guid& guid) {
    if (text.Length() != 36) return false;
    for (std::size_t dash : {8u, 13u, 18u, 23u}) {
        if (text[dash] != '-') return false;
    }
    Guid parsed{};
    std::uint32_t value;
    if (!ReadHex(text, 0, 8, value)) return false;
    parsed.data1 = value;
    if (!ReadHex(text, 9, 4, value)) return false;
    parsed.data2 = static_cast<std::uint16_t>(value);
    if (!ReadHex(text, 14, 4, value)) return false;
    parsed.data3 = static_cast<std::uint16_t>(value);
    static constexpr std::size_t kByteAt[8] = {19, 21, 24, 26, 28, 30, 32, 34};
    for (std::size_t i = 0; i < 8; ++i) {
        if (!ReadHex(text, kByteAt[i], 2, value)) return false;
        parsed.data4[i] = static_cast<std::uint8_t>(value);
    }
    guid = parsed;
    return true;
}
