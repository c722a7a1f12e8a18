#include "base/xml/XmlNumbers.h"

#include <charconv>
#include <limits>

#include "base/xml/XmlText.h"

namespace {

// Magnitudes accumulate unsigned, so an overflow is detected instead of wrapping.
template <class Signed>
bool ParseInteger(const char* text, std::size_t length, Signed* value) {
    using Unsigned = std::make_unsigned_t<Signed>;
    const Unsigned maxPositive = static_cast<Unsigned>(std::numeric_limits<Signed>::max());
    const char* p = text;
    const char* end = text + (text ? length : 0);
    bool negative = false;
    unsigned base = 10;
    if (end - p >= 2 && p[0] == '0' && p[1] == 'x') {
        base = 16;
        p += 2;
    } else if (p < end && *p == '-') {
        negative = true;
        ++p;
    }
    const Unsigned limit = negative ? maxPositive + 1 : maxPositive;
    Unsigned magnitude = 0;
    for (; p < end; ++p) {
        const int digit = base == 16 ? XmlText::HexValue(*p) : (XmlText::IsDigit(*p) ? *p - '0' : -1);
        if (digit < 0) break;
        if (magnitude > (limit - static_cast<Unsigned>(digit)) / base) return false;
        magnitude = magnitude * base + static_cast<Unsigned>(digit);
    }
    // Two's complement: the negated magnitude of the minimum fits exactly.
    *value = negative ? static_cast<Signed>(Unsigned(0) - magnitude) : static_cast<Signed>(magnitude);
    return true;
}

// The length of the leading number of the XML grammar.
std::size_t NumberPrefix(const char* text, std::size_t length) {
    const char* p = text;
    const char* end = text + length;
    auto digits = [&] {
        while (p < end && XmlText::IsDigit(*p)) ++p;
    };
    if (p < end && *p == '-') ++p;
    digits();
    if (p < end && *p == '.') {
        ++p;
        digits();
    }
    if (end - p >= 2 && (*p == 'e' || *p == 'E')) {
        const char* mark = p;
        ++p;
        if (*p == '-' || *p == '+') ++p;
        const char* first = p;
        digits();
        if (p == first) p = mark;  // "1e" or "1e+" keeps only the mantissa
    }
    return static_cast<std::size_t>(p - text);
}

template <class Real>
bool ParseReal(const char* text, std::size_t length, Real* value) {
    if (!text) length = 0;
    const std::size_t prefix = NumberPrefix(text, length);
    Real parsed = 0;
    const auto result = std::from_chars(text, text + prefix, parsed, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) return false;
    *value = result.ec == std::errc() ? parsed : Real(0);
    return true;
}

template <class T>
String ToCharsText(T value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return String(buffer, result.ptr);
}

}  // namespace

bool XmlTextToInt(const char* text, std::size_t length, int* value) { return ParseInteger(text, length, value); }

bool XmlTextToInt64(const char* text, std::size_t length, std::int64_t* value) {
    return ParseInteger(text, length, value);
}

bool XmlTextToDouble(const char* text, std::size_t length, double* value) { return ParseReal(text, length, value); }

bool XmlTextToFloat(const char* text, std::size_t length, float* value) { return ParseReal(text, length, value); }

bool XmlTextToBool(const char* text, std::size_t length) {
    return text && length > 0 && (text[0] == '1' || text[0] == 'T' || text[0] == 't');
}

String XmlIntText(std::int64_t value) { return ToCharsText(value); }
String XmlDoubleText(double value) { return ToCharsText(value); }
String XmlFloatText(float value) { return ToCharsText(value); }
