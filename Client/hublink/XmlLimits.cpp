#include "hublink/XmlLimits.h"

#include <cstdint>
#include <cstring>
#include <string_view>

#include "base/runtime/StrUtil.h"
#include "base/runtime/Utf.h"

namespace VTInterCom {

namespace {

bool IsValidUtf8(const char* text, std::size_t length) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(text);
    const auto* end = p + length;
    while (p < end) {
        const std::size_t sequence = Utf8SequenceLength(*p);
        if (static_cast<std::size_t>(end - p) < sequence || !IsLegalUtf8(p, sequence)) return false;
        p += sequence;
    }
    return true;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool IsQuote(char c) { return c == '"' || c == '\''; }

// TinyXML takes '<' followed by a letter, '_' or any byte from 0x7F up for an element.
bool StartsElement(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x7F || (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || byte == '_';
}

bool StartsWith(const char* p, const char* end, std::string_view prefix) {
    return static_cast<std::size_t>(end - p) >= prefix.size() && std::memcmp(p, prefix.data(), prefix.size()) == 0;
}

bool StartsWithDeclaration(const char* p, const char* end) {
    static constexpr std::string_view kPrefix = "<?xml";
    if (static_cast<std::size_t>(end - p) < kPrefix.size()) return false;
    return StrUtil::EqualsIgnoringCase(std::string_view(p, kPrefix.size()), kPrefix);
}

// Just past the first occurrence of terminator at or after p, or end.
const char* After(const char* p, const char* end, std::string_view terminator) {
    std::string_view rest(p, static_cast<std::size_t>(end - p));
    const std::size_t found = rest.find(terminator);
    return found == std::string_view::npos ? end : p + found + terminator.size();
}

// TinyXML ends a declaration at its first '>' except inside the quoted value of a
// version, encoding or standalone attribute. Quotes that only ever open a value after
// '=' and close it before any blank, quote or '>' make both endings the same place.
bool IsPlainDeclaration(const char* p, const char* end) {
    const char* close = static_cast<const char*>(std::memchr(p, '>', static_cast<std::size_t>(end - p)));
    if (!close) close = end;
    for (const char* c = p; c < close; ++c) {
        if (!IsQuote(*c)) continue;
        const char* before = c;
        while (before > p && IsBlank(before[-1])) --before;
        if (before == p || before[-1] != '=') return false;
        const char* q = c + 1;
        while (q < close && !IsQuote(*q) && !IsBlank(*q)) ++q;
        if (q == close || *q != *c) return false;
        c = q;
    }
    return true;
}

}  // namespace

bool FitsXmlLimits(const char* text, std::size_t length, int maxDepth) {
    if (!IsValidUtf8(text, length)) return false;
    const char* p = text;
    const char* end = text + length;
    int depth = 0;
    for (;;) {
        // Text runs to the next '<'; entities cannot hide one.
        p = static_cast<const char*>(std::memchr(p, '<', static_cast<std::size_t>(end - p)));
        if (!p) return true;
        if (StartsWithDeclaration(p, end)) {
            if (!IsPlainDeclaration(p, end)) return false;
            p = After(p, end, ">");
        } else if (StartsWith(p, end, "<!--")) {
            p = After(p + 4, end, "-->");
        } else if (StartsWith(p, end, "<![CDATA[")) {
            p = After(p + 9, end, "]]>");
        } else if (StartsWith(p, end, "</")) {
            // An end tag closes the open element or stops the parse; outside every
            // element TinyXML reads it as an unknown node.
            if (depth > 0) --depth;
            p = After(p, end, ">");
        } else if (p + 1 < end && StartsElement(p[1])) {
            // A start tag: quoted values may hold '>'. It stays open unless "/>" ends it.
            // TinyXML links an element into the tree before it reads the tag, so even a
            // tag left unended at the end of the text counts.
            const char* c = p + 1;
            while (c < end && *c != '>') {
                if (IsQuote(*c)) {
                    const char* closing = static_cast<const char*>(std::memchr(c + 1, *c, static_cast<std::size_t>(end - c - 1)));
                    c = closing ? closing : end;
                }
                if (c < end) ++c;
            }
            if (depth + 1 > maxDepth) return false;
            if (c == end) return true;
            if (c[-1] != '/') ++depth;
            p = c + 1;
        } else {
            // "<!DOCTYPE", "<?pi", "< x" and the like: unknown nodes up to the next '>'.
            p = After(p + 1, end, ">");
        }
    }
}

}  // namespace VTInterCom
