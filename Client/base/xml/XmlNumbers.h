#pragma once
// Number texts of the XML serialiser, independent of the process locale. Parsing
// reads the leading number and ignores the rest; an empty text or one without a
// number gives 0. A number out of range is an error (false, value unchanged), not a wrap.
#include <cstddef>
#include <cstdint>

#include "base/runtime/String.h"

// "0x" + hexadecimal digits (a positive value), else an optional '-' and decimal digits.
bool XmlTextToInt(const char* text, std::size_t length, int* value);
bool XmlTextToInt64(const char* text, std::size_t length, std::int64_t* value);
// An optional '-', digits, an optional fraction, an optional exponent with '+' or '-'.
bool XmlTextToDouble(const char* text, std::size_t length, double* value);
bool XmlTextToFloat(const char* text, std::size_t length, float* value);
// True exactly when the first character is '1', 'T' or 't'.
bool XmlTextToBool(const char* text, std::size_t length);

// The shortest texts that read back as the same value.
String XmlIntText(std::int64_t value);
String XmlDoubleText(double value);
String XmlFloatText(float value);
