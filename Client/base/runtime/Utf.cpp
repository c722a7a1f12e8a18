#include "base/runtime/Utf.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

std::size_t Utf8Length(char32_t c) {
    if (c < 0x80) return 1;
    if (c < 0x800) return 2;
    if (c < 0x10000) return 3;
    return 4;
}

void EncodeUtf8(char32_t c, char* out, std::size_t length) {
    static constexpr std::uint8_t kFirstByteMark[5] = {0x00, 0x00, 0xC0, 0xE0, 0xF0};
    for (std::size_t i = length; i-- > 1;) {
        out[i] = static_cast<char>((c & 0x3F) | 0x80);
        c >>= 6;
    }
    out[0] = static_cast<char>(c | kFirstByteMark[length]);
}

char32_t DecodeUtf8(const std::uint8_t* s, std::size_t length) {
    static constexpr std::uint8_t kFirstMask[5] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t c = s[0] & kFirstMask[length];
    for (std::size_t i = 1; i < length; ++i) c = (c << 6) | (s[i] & 0x3F);
    return c;
}

// Reads one UTF-16 character; returns the units it took (0 when the text ends inside
// a surrogate pair) and marks an unpaired surrogate as illegal.
std::size_t ReadUtf16(const char16_t* s, std::size_t available, char32_t& c, bool& illegal) {
    illegal = false;
    c = s[0];
    if (IsHighSurrogate(c)) {
        if (available < 2) return 0;
        const char32_t low = s[1];
        if (!IsLowSurrogate(low)) {
            illegal = true;
            return 1;
        }
        c = ((c - 0xD800) << 10) + (low - 0xDC00) + 0x10000;
        return 2;
    }
    if (IsLowSurrogate(c)) illegal = true;
    return 1;
}

std::size_t WriteUtf16(char32_t c, char16_t* out) {
    if (c < 0x10000) {
        if (out) out[0] = static_cast<char16_t>(c);
        return 1;
    }
    c -= 0x10000;
    if (out) {
        out[0] = static_cast<char16_t>(0xD800 + (c >> 10));
        out[1] = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    }
    return 2;
}

// Bytes at s that begin a legal sequence (at least 1, at most its full length).
std::size_t LegalPrefixLength(const std::uint8_t* s, std::size_t available) {
    const std::uint8_t first = s[0];
    if (first < 0xC2 || first > 0xF4) return 1;
    const std::size_t length = Utf8SequenceLength(first);
    std::size_t n = 1;
    for (; n < length && n < available; ++n) {
        std::uint8_t low = 0x80, high = 0xBF;
        if (n == 1) {
            if (first == 0xE0) low = 0xA0;
            if (first == 0xED) high = 0x9F;
            if (first == 0xF0) low = 0x90;
            if (first == 0xF4) high = 0x8F;
        }
        if (s[n] < low || s[n] > high) break;
    }
    return n;
}

}  // namespace

std::size_t Utf8SequenceLength(std::uint8_t first) {
    if (first >= 0xF0) return 4;
    if (first >= 0xE0) return 3;
    if (first >= 0xC0) return 2;
    return 1;
}

bool IsLegalUtf8(const std::uint8_t* s, std::size_t length) {
    if (length == 0 || length > 4) return false;
    for (std::size_t i = 1; i < length; ++i) {
        if (s[i] < 0x80 || s[i] > 0xBF) return false;
    }
    if (length >= 2) {
        const std::uint8_t second = s[1];
        switch (s[0]) {
            case 0xE0: if (second < 0xA0) return false; break;
            case 0xED: if (second > 0x9F) return false; break;
            case 0xF0: if (second < 0x90) return false; break;
            case 0xF4: if (second > 0x8F) return false; break;
            default: break;
        }
    }
    if (s[0] >= 0x80 && s[0] < 0xC2) return false;
    if (s[0] > 0xF4) return false;
    return Utf8SequenceLength(s[0]) == length;
}

ConversionProgress ConvertUtf16ToUtf8(const char16_t* source, std::size_t sourceLength, char* target,
                                      std::size_t targetCapacity) {
    ConversionProgress progress{ConversionResult::conversionOK, 0, 0};
    while (progress.read < sourceLength) {
        char32_t c;
        bool illegal;
        const std::size_t units = ReadUtf16(source + progress.read, sourceLength - progress.read, c, illegal);
        if (units == 0) {
            progress.result = ConversionResult::sourceExhausted;
            break;
        }
        if (illegal) {
            progress.result = ConversionResult::sourceIllegal;
            break;
        }
        const std::size_t bytes = Utf8Length(c);
        if (targetCapacity - progress.written < bytes) {
            progress.result = ConversionResult::targetExhausted;
            break;
        }
        EncodeUtf8(c, target + progress.written, bytes);
        progress.written += bytes;
        progress.read += units;
    }
    return progress;
}

ConversionProgress ConvertUtf8ToUtf16(const char* source, std::size_t sourceLength, char16_t* target,
                                      std::size_t targetCapacity) {
    ConversionProgress progress{ConversionResult::conversionOK, 0, 0};
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(source);
    while (progress.read < sourceLength) {
        const std::size_t length = Utf8SequenceLength(bytes[progress.read]);
        if (length > sourceLength - progress.read) {
            // A truncated tail is "exhausted" only when what is there could still
            // begin a legal sequence.
            const std::size_t present = sourceLength - progress.read;
            progress.result = LegalPrefixLength(bytes + progress.read, present) == present
                                  ? ConversionResult::sourceExhausted
                                  : ConversionResult::sourceIllegal;
            break;
        }
        if (!IsLegalUtf8(bytes + progress.read, length)) {
            progress.result = ConversionResult::sourceIllegal;
            break;
        }
        const char32_t c = DecodeUtf8(bytes + progress.read, length);
        const std::size_t units = c < 0x10000 ? 1 : 2;
        if (targetCapacity - progress.written < units) {
            progress.result = ConversionResult::targetExhausted;
            break;
        }
        WriteUtf16(c, target + progress.written);
        progress.written += units;
        progress.read += length;
    }
    return progress;
}

std::size_t LenientUtf16ToUtf8(const char16_t* source, std::size_t sourceLength, char* target) {
    std::size_t written = 0;
    for (std::size_t read = 0; read < sourceLength;) {
        char32_t c;
        bool illegal;
        std::size_t units = ReadUtf16(source + read, sourceLength - read, c, illegal);
        if (units == 0 || illegal) {
            c = kReplacement;
            units = 1;
        }
        const std::size_t bytes = Utf8Length(c);
        if (target) EncodeUtf8(c, target + written, bytes);
        written += bytes;
        read += units;
    }
    return written;
}

std::size_t LenientUtf8ToUtf16(const char* source, std::size_t sourceLength, char16_t* target) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(source);
    std::size_t written = 0;
    for (std::size_t read = 0; read < sourceLength;) {
        // One replacement for each maximal prefix of a sequence that is not legal.
        const std::size_t length = LegalPrefixLength(bytes + read, sourceLength - read);
        const bool legal = length == Utf8SequenceLength(bytes[read]) && IsLegalUtf8(bytes + read, length);
        const char32_t c = legal ? DecodeUtf8(bytes + read, length) : kReplacement;
        written += WriteUtf16(c, target ? target + written : nullptr);
        read += length;
    }
    return written;
}
