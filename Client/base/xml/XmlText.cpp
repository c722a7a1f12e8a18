#include "base/xml/XmlText.h"

#include <cstring>

namespace XmlText {
namespace {

struct NamedEntity {
    const char* text;  // after the '&', up to and including ';'
    std::size_t length;
    char character;
};

constexpr NamedEntity kNamedEntities[] = {
    {"amp;", 4, '&'}, {"lt;", 3, '<'}, {"gt;", 3, '>'}, {"quot;", 5, '"'}, {"apos;", 5, '\''},
};

}  // namespace

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::size_t DecodeEntityAt(const char* p, const char* end, char* out) {
    const std::size_t available = static_cast<std::size_t>(end - p);
    if (available >= 6 && p[1] == '#' && p[2] == 'x') {
        const int high = HexValue(p[3]);
        const int low = HexValue(p[4]);
        if (high < 0 || low < 0) return 0;
        *out = static_cast<char>(high * 16 + low);
        return 6;
    }
    for (const NamedEntity& entity : kNamedEntities) {
        if (available > entity.length && std::memcmp(p + 1, entity.text, entity.length) == 0) {
            *out = entity.character;
            return entity.length + 1;
        }
    }
    return 0;
}

void AppendDecoded(String& out, const char* first, const char* last) {
    const char* run = first;
    for (const char* p = first; p < last;) {
        char decoded;
        const std::size_t consumed = *p == '&' ? DecodeEntityAt(p, last, &decoded) : 0;
        if (consumed == 0) {
            ++p;
            continue;
        }
        out.Append(run, p);
        out.Append(decoded);
        p += consumed;
        run = p;
    }
    out.Append(run, last);
}

bool IsHexReference(const char* p, const char* end, std::size_t* length) {
    if (end - p < 5 || p[0] != '&' || p[1] != '#' || p[2] != 'x') return false;
    const char* q = p + 3;
    while (q < end && HexValue(*q) >= 0) ++q;
    if (q == p + 3 || q == end || *q != ';') return false;
    *length = static_cast<std::size_t>(q + 1 - p);
    return true;
}

}  // namespace XmlText
