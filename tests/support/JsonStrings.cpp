#include "support/JsonStrings.h"

#include <cstdint>

namespace {

struct Reader {
    const std::string& s;
    std::size_t i = 0;

    bool Eat(char c) {
        if (i < s.size() && s[i] == c) {
            ++i;
            return true;
        }
        return false;
    }
    bool Hex4(std::uint32_t& v) {
        if (i + 4 > s.size()) return false;
        v = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = s[i++];
            v <<= 4;
            if (c >= '0' && c <= '9') v |= c - '0';
            else if (c >= 'a' && c <= 'f') v |= c - 'a' + 10;
            else if (c >= 'A' && c <= 'F') v |= c - 'A' + 10;
            else return false;
        }
        return true;
    }
    bool Utf8(std::u16string& out) {
        const auto b0 = static_cast<unsigned char>(s[i]);
        int extra = b0 < 0x80 ? 0 : b0 >= 0xF0 ? 3 : b0 >= 0xE0 ? 2 : b0 >= 0xC0 ? 1 : -1;
        if (extra < 0 || i + extra >= s.size()) return false;
        std::uint32_t cp = extra == 0 ? b0 : b0 & (0x3F >> extra);
        ++i;
        for (int k = 0; k < extra; ++k) {
            const auto b = static_cast<unsigned char>(s[i++]);
            if ((b & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (b & 0x3F);
        }
        if (cp >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
        return true;
    }
    bool String(std::u16string& out) {
        if (!Eat('"')) return false;
        while (i < s.size()) {
            const char c = s[i];
            if (c == '"') {
                ++i;
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c != '\\') {
                if (!Utf8(out)) return false;
                continue;
            }
            if (++i >= s.size()) return false;
            const char e = s[i++];
            std::uint32_t v = 0;
            switch (e) {
                case '"': out += u'"'; break;
                case '\\': out += u'\\'; break;
                case '/': out += u'/'; break;
                case 'b': out += u'\b'; break;
                case 'f': out += u'\f'; break;
                case 'n': out += u'\n'; break;
                case 'r': out += u'\r'; break;
                case 't': out += u'\t'; break;
                case 'u':
                    if (!Hex4(v)) return false;
                    out += static_cast<char16_t>(v);
                    break;
                default: return false;
            }
        }
        return false;
    }
    bool Array(std::vector<std::u16string>& texts) {
        if (!Eat('[')) return false;
        if (Eat(']')) return true;
        do {
            std::u16string text;
            if (!String(text)) return false;
            texts.push_back(text);
        } while (Eat(','));
        return Eat(']');
    }
};

}  // namespace

bool ParseJsonStringArray(const std::string& json, std::vector<std::u16string>& texts) {
    Reader reader{json};
    return reader.Array(texts) && reader.i == json.size();
}

bool ParseJsonNestedStringArray(const std::string& json, std::vector<std::u16string>& texts) {
    Reader reader{json};
    return reader.Eat('[') && reader.Array(texts) && reader.Eat(']') && reader.i == json.size();
}
