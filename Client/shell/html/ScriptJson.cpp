#include "shell/html/ScriptJson.h"

#include <cstdint>
#include <cstdio>

namespace {

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void AppendEscape(std::string& out, std::uint32_t unit) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned>(unit));
    out += buffer;
}

bool IsHigh(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLow(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

void AppendJsonString(std::string& out, const WideString& text) {
    out += '"';
    for (std::size_t i = 0; i < text.Length(); ++i) {
        const char16_t unit = text[i];
        switch (unit) {
            case u'"': out += "\\\""; continue;
            case u'\\': out += "\\\\"; continue;
            case u'\n': out += "\\n"; continue;
            case u'\r': out += "\\r"; continue;
            case u'\t': out += "\\t"; continue;
            default: break;
        }
        if (unit < 0x20 || unit == 0x7F || unit == 0x2028 || unit == 0x2029) {
            AppendEscape(out, unit);
        } else if (IsHigh(unit) && i + 1 < text.Length() && IsLow(text[i + 1])) {
            AppendUtf8(out, 0x10000 + ((std::uint32_t(unit) - 0xD800) << 10) + (std::uint32_t(text[i + 1]) - 0xDC00));
            ++i;
        } else if (IsHigh(unit) || IsLow(unit)) {
            AppendUtf8(out, 0xFFFD);
        } else {
            AppendUtf8(out, unit);
        }
    }
    out += '"';
}

std::string EncodeJsonStringArray(const WideStringVector& texts) {
    std::string out = "[";
    for (std::size_t i = 0; i < texts.Size(); ++i) {
        if (i) out += ',';
        AppendJsonString(out, texts[i]);
    }
    out += ']';
    return out;
}
