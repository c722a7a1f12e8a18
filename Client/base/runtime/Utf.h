#pragma once
// Strict conversion between UTF-8 and UTF-16, after the Unicode consortium's
// reference conversion: unpaired surrogates, overlong forms, encoded surrogates and
// values above U+10FFFF are illegal. On failure the output holds what was converted
// before the offending character.
#include <cstddef>
#include <cstdint>

enum class ConversionResult {
    conversionOK,
    sourceExhausted,  // the text ends inside a character
    targetExhausted,  // no room for the next character
    sourceIllegal,
};

struct ConversionProgress {
    ConversionResult result;
    std::size_t read;     // source units consumed
    std::size_t written;  // target units produced
};

ConversionProgress ConvertUtf16ToUtf8(const char16_t* source, std::size_t sourceLength, char* target,
                                      std::size_t targetCapacity);
ConversionProgress ConvertUtf8ToUtf16(const char* source, std::size_t sourceLength, char16_t* target,
                                      std::size_t targetCapacity);

// Whether the length bytes at source form one legal UTF-8 sequence.
bool IsLegalUtf8(const std::uint8_t* source, std::size_t length);

// Length of the sequence that a first byte announces (1 for ASCII and for bytes that
// cannot start a sequence).
std::size_t Utf8SequenceLength(std::uint8_t first);

// Lenient forms for the process code page: every unit that cannot be converted
// becomes U+FFFD. They return the number of units written; with a null target they
// only measure.
std::size_t LenientUtf16ToUtf8(const char16_t* source, std::size_t sourceLength, char* target);
std::size_t LenientUtf8ToUtf16(const char* source, std::size_t sourceLength, char16_t* target);
