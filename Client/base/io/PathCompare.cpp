// Case-insensitive path comparison, hashing, ordering and wildcard matching.
#include "base/io/Path.h"

#include <cstring>

namespace Path {

namespace {
// Both separators fold to '/', letters to lower case (ASCII only, locale-free).
inline unsigned char FoldLower(char c) {
    if (c == '\\') return '/';
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c - 'A' + 'a');
    return static_cast<unsigned char>(c);
}
inline char FoldUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool HasSeparatorFrom(const String& path, std::size_t from) {
    for (std::size_t i = from; i < path.Length(); ++i) {
        if (IsSeparator(path[i])) return true;
    }
    return false;
}
}  // namespace

bool Equal(const char* a, std::size_t aLength, const char* b, std::size_t bLength) {
    if (aLength != bLength) return false;
    for (std::size_t i = 0; i < aLength; ++i) {
        if (FoldLower(a[i]) != FoldLower(b[i])) return false;
    }
    return true;
}

bool Equal(const String& a, const String& b) { return Equal(a.CStr(), a.Length(), b.CStr(), b.Length()); }

bool IsInFolder(const String& path, const String& folder, bool recursive) {
    if (folder.Length() >= path.Length()) return false;
    if (folder.IsEmpty() && recursive) return true;
    if (!Equal(path.CStr(), folder.Length(), folder.CStr(), folder.Length())) return false;
    std::size_t rest = folder.Length();
    if (folder.IsEmpty() || !IsSeparator(folder[folder.Length() - 1])) {
        if (!IsSeparator(path[rest])) return false;
        ++rest;
    }
    if (recursive) return true;
    // A direct child, possibly written with a trailing separator.
    for (std::size_t i = rest; i + 1 < path.Length(); ++i) {
        if (IsSeparator(path[i])) return false;
    }
    return true;
}

bool Less(const String& a, const String& b) {
    const std::size_t shorter = a.Length() < b.Length() ? a.Length() : b.Length();
    for (std::size_t i = 0; i < shorter; ++i) {
        const bool sa = IsSeparator(a[i]);
        const bool sb = IsSeparator(b[i]);
        if (sa && sb) continue;
        const char ua = FoldUpper(a[i]);
        const char ub = FoldUpper(b[i]);
        if (!sa && !sb && ua == ub) continue;
        if (sa != sb) {
            // The separator sorts first only against a path that goes deeper as well.
            return sa ? HasSeparatorFrom(b, i) : !HasSeparatorFrom(a, i);
        }
        const bool deeperA = HasSeparatorFrom(a, i + 1);
        const bool deeperB = HasSeparatorFrom(b, i + 1);
        if (deeperA != deeperB) return !deeperA;
        return static_cast<signed char>(ua) < static_cast<signed char>(ub);
    }
    return a.Length() < b.Length();
}

std::uint32_t Hash(const char* path, std::size_t length) {
    std::uint32_t h = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const auto c = static_cast<signed char>(FoldLower(path[i]));
        h = 5u * h + static_cast<std::uint32_t>(static_cast<std::int32_t>(c));
    }
    return h;
}

std::uint32_t Hash(const String& path) { return Hash(path.CStr(), path.Length()); }

bool WildcardMatch(const char* pattern, const char* text, bool caseSensitive) {
    auto same = [caseSensitive](char p, char t) {
        return p == '?' || (caseSensitive ? p == t : FoldUpper(p) == FoldUpper(t));
    };
    const char* starPattern = nullptr;  // pattern position after the last '*'
    const char* starText = nullptr;     // text position that '*' is tried against next
    while (*text) {
        if (*pattern == '*') {
            while (*pattern == '*') ++pattern;
            if (!*pattern) return true;
            starPattern = pattern;
            starText = text;
        } else if (*pattern && same(*pattern, *text)) {
            ++pattern;
            ++text;
        } else if (starPattern) {
            pattern = starPattern;
            text = ++starText;
        } else {
            return false;
        }
    }
    while (*pattern == '*') ++pattern;
    return *pattern == 0;
}

}  // namespace Path
