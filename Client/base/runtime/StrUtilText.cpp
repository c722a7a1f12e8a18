// Wrappers, hexadecimal text, trimming, the byte-order mark, splitting and replacing.
#include <cstring>

#include "base/runtime/StrUtil.h"

namespace StrUtil {

void* MemSet(void* destination, int value, std::size_t count) { return std::memset(destination, value, count); }
void* MemCopy(void* destination, const void* source, std::size_t count) {
    return count ? std::memcpy(destination, source, count) : destination;
}
void* MemMove(void* destination, const void* source, std::size_t count) {
    return count ? std::memmove(destination, source, count) : destination;
}
std::size_t Length(const char* text) { return std::strlen(text); }
std::size_t LengthW(const char16_t* text) { return std::char_traits<char16_t>::length(text); }
int Compare(const char* a, const char* b, std::size_t count) { return std::strncmp(a, b, count); }
int CompareW(const char16_t* a, const char16_t* b, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
        if (a[i] == 0) return 0;
    }
    return 0;
}
char ToLower(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte + ('a' - 'A')) : c;
}
char16_t ToLower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c; }

WideString ToLowerAscii(const WideString& text) {
    WideString lower(text);
    for (std::size_t i = 0; i < lower.Length(); ++i) lower[i] = ToLower(lower[i]);
    return lower;
}

std::string ToLowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = ToLower(c);
    return lower;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (ToLower(a[i]) != ToLower(b[i])) return false;
    }
    return true;
}

void ToHex(const void* bytes, std::size_t count, char* out) {
    static constexpr char kDigits[] = "0123456789abcdef";
    const auto* in = static_cast<const std::uint8_t*>(bytes);
    for (std::size_t i = 0; i < count; ++i) {
        out[2 * i] = kDigits[in[i] >> 4];
        out[2 * i + 1] = kDigits[in[i] & 0x0F];
    }
}

bool FromHex(const char* text, std::uint8_t* out, std::size_t capacity, std::size_t* written) {
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::size_t count = 0;
    bool valid = true;
    for (const char* p = text; *p; p += 2) {
        const int high = digit(p[0]);
        const int low = p[1] ? digit(p[1]) : -1;
        if (high < 0 || low < 0 || count == capacity) {
            valid = false;
            break;
        }
        out[count++] = static_cast<std::uint8_t>(high << 4 | low);
    }
    if (written) *written = count;
    return valid;
}

namespace {
template <class S, class Unit>
void TrimLeftOf(S& text, const Unit* set) {
    const std::ptrdiff_t first = text.FindFirstNotOf(set);
    if (first < 0) {
        text.Resize(0);
    } else if (first > 0) {
        text.Assign(text.CStr() + first, text.CStr() + text.Length());
    }
}

template <class S, class Unit>
void TrimRightOf(S& text, const Unit* set) {
    text.Resize(static_cast<std::size_t>(text.FindLastNotOf(set) + 1));
}

template <class S, class V>
void SplitInto(const S& text, const S& separator, V& out) {
    if (separator.IsEmpty()) {
        out.PushBack(text);
        return;
    }
    std::size_t start = 0;
    for (;;) {
        const std::ptrdiff_t match = text.Find(separator.CStr(), start);
        if (match < 0) {
            out.PushBack(text.Substr(start));
            return;
        }
        out.PushBack(text.Substr(start, static_cast<std::size_t>(match) - start));
        start = static_cast<std::size_t>(match) + separator.Length();
    }
}

template <class S, class V>
S ReplaceAllOf(const S& text, const S& from, const S& to) {
    V pieces;
    SplitInto(text, from, pieces);
    if (pieces.Size() == 1) return text;
    S result;
    for (std::size_t i = 0; i < pieces.Size(); ++i) {
        if (i > 0) result.Append(to);
        result.Append(pieces[i]);
    }
    return result;
}
}  // namespace

void TrimLeft(String& text, const char* set) { TrimLeftOf(text, set); }
void TrimRight(String& text, const char* set) { TrimRightOf(text, set); }
void TrimLeft(WideString& text, const char16_t* set) { TrimLeftOf(text, set); }
void TrimRight(WideString& text, const char16_t* set) { TrimRightOf(text, set); }

const String& Utf8Bom() {
    static const String bom("\xEF\xBB\xBF");
    return bom;
}

bool StartsWithBom(const String& text) { return text.Compare(0, 3, Utf8Bom().CStr()) == 0; }

void StripBom(String& text) {
    if (StartsWithBom(text)) text.Assign(text.CStr() + 3, text.CStr() + text.Length());
}

void Split(const String& text, const String& separator, StringVector& out) { SplitInto(text, separator, out); }
void SplitW(const WideString& text, const WideString& separator, WideStringVector& out) {
    SplitInto(text, separator, out);
}
String ReplaceAll(const String& text, const String& from, const String& to) {
    return ReplaceAllOf<String, StringVector>(text, from, to);
}
WideString ReplaceAllW(const WideString& text, const WideString& from, const WideString& to) {
    return ReplaceAllOf<WideString, WideStringVector>(text, from, to);
}

void SplitQuoted(const WideString& text, const char16_t* separators, WideStringVector& out) {
    auto isSeparator = [separators](char16_t unit) {
        for (const char16_t* s = separators; *s; ++s) {
            if (*s == unit) return true;
        }
        return false;
    };
    bool quoted = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.Length(); ++i) {
        const bool atEnd = i == text.Length();
        const char16_t unit = atEnd ? u'\0' : text[i];
        if (!atEnd && unit == u'"') {
            quoted = !quoted;
            continue;
        }
        if (atEnd || (!quoted && isSeparator(unit))) {
            if (i > start) out.PushBack(text.Substr(start, i - start));
            start = i + 1;
        }
    }
}

}  // namespace StrUtil
