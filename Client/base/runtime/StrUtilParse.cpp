// Locale-free, range-checked number parsing.
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>

#include "base/runtime/StrUtil.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

template <class T>
T Fail(bool* ok) {
    if (ok) *ok = false;
    return T(0);
}

template <class T>
T Succeed(T value, bool* ok) {
    if (ok) *ok = true;
    return value;
}

// Reads an optionally signed integer in the given base (0: detect 0 and 0x prefixes,
// as scanf's %i). Returns false on no digits or a magnitude above limit.
bool ScanInteger(const char* text, int base, bool allowHexPrefix, std::uint64_t negativeLimit,
                 std::uint64_t positiveLimit, bool& negative, std::uint64_t& magnitude) {
    if (!text) return false;
    const char* p = text;
    while (IsBlank(*p)) ++p;
    negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    if (allowHexPrefix && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && DigitValue(p[2]) < 16) {
        if (base == 0 || base == 16) {
            base = 16;
            p += 2;
        }
    }
    if (base == 0) base = (p[0] == '0') ? 8 : 10;
    const std::uint64_t limit = negative ? negativeLimit : positiveLimit;
    magnitude = 0;
    const char* digits = p;
    for (int d; (d = DigitValue(*p)) < base; ++p) {
        if (magnitude > (limit - static_cast<std::uint64_t>(d)) / static_cast<std::uint64_t>(base)) return false;
        magnitude = magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
    }
    return p != digits;
}

template <class T>
T ParseSigned(const char* text, int base, bool* ok) {
    bool negative;
    std::uint64_t magnitude;
    const auto positiveLimit = static_cast<std::uint64_t>(std::numeric_limits<T>::max());
    if (!ScanInteger(text, base, base != 10, positiveLimit + 1, positiveLimit, negative, magnitude)) return Fail<T>(ok);
    if (negative && magnitude > 0) {
        // -(magnitude) without overflowing when magnitude is the most negative value's size.
        return Succeed(static_cast<T>(-static_cast<T>(magnitude - 1) - 1), ok);
    }
    return Succeed(static_cast<T>(magnitude), ok);
}

template <class T>
T ParseFloating(const char* text, bool* ok) {
    if (!text) return Fail<T>(ok);
    const char* p = text;
    while (IsBlank(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    // Finite decimals only: a digit, or a point followed by a digit, must come first
    // (this refuses "inf", "nan" and, with the format below, hexadecimal floats).
    if (!(DigitValue(*p) < 10 || (*p == '.' && DigitValue(p[1]) < 10))) return Fail<T>(ok);
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) return Fail<T>(ok);
    T value{};
    const char* end = p + std::strlen(p);
    const auto [stop, error] = std::from_chars(p, end, value, std::chars_format::general);
    if (error != std::errc() || stop == p || !std::isfinite(value)) return Fail<T>(ok);
    return Succeed(negative ? -value : value, ok);
}

}  // namespace

namespace StrUtil {

int ParseInt(const char* text, bool* ok) { return ParseSigned<int>(text, 0, ok); }

int ParseDec(const char* text, bool* ok) { return ParseSigned<int>(text, 10, ok); }

std::int64_t ParseInt64(const char* text, bool* ok) { return ParseSigned<std::int64_t>(text, 10, ok); }

std::uint32_t ParseHex(const char* text, bool* ok) {
    bool negative;
    std::uint64_t magnitude;
    const std::uint64_t limit = std::numeric_limits<std::uint32_t>::max();
    if (!ScanInteger(text, 16, true, limit, limit, negative, magnitude)) return Fail<std::uint32_t>(ok);
    const auto value = static_cast<std::uint32_t>(magnitude);
    return Succeed(negative ? 0u - value : value, ok);
}

float ParseFloat(const char* text, bool* ok) { return ParseFloating<float>(text, ok); }

double ParseDouble(const char* text, bool* ok) { return ParseFloating<double>(text, ok); }

bool ParseBool(const char* text, bool* ok) {
    if (!text) return Fail<bool>(ok);
    for (const char* word : {"true", "on", "enable"}) {
        if (EqualsIgnoringCase(text, word)) return Succeed(true, ok);
    }
    for (const char* word : {"false", "off", "disable"}) {
        if (EqualsIgnoringCase(text, word)) return Succeed(false, ok);
    }
    bool parsed = false;
    const int value = ParseInt(text, &parsed);
    if (!parsed) return Fail<bool>(ok);
    return Succeed(value != 0, ok);
}

bool IsHexNumber(const String& text) {
    const char* p = text.CStr();
    if (*p == '+' || *p == '-') ++p;
    if (p[0] != '0' || p[1] != 'x') return false;
    p += 2;
    if (*p == 0) return false;
    for (; *p; ++p) {
        if (DigitValue(*p) >= 16) return false;
    }
    // An embedded zero would end the walk early: the whole string must have been read.
    return static_cast<std::size_t>(p - text.CStr()) == text.Length();
}

}  // namespace StrUtil
