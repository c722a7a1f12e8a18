#pragma once
// Character rules shared by the XML printer, parser and reader.
#include <cstddef>

#include "base/runtime/String.h"

namespace XmlText {

// Nesting deeper than this ends parsing: a hostile answer must not exhaust the stack.
constexpr int kMaxDepth = 256;

inline bool IsBlank(char c) { return c == ' ' || (c >= 9 && c <= 13); }
inline const char* SkipBlanks(const char* p, const char* end) {
    while (p < end && IsBlank(*p)) ++p;
    return p;
}
inline bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
// 0-15, or -1 for a character that is not a hexadecimal digit.
int HexValue(char c);

// Decodes the entity that starts at p (which holds '&'): a character reference
// "&#x" + two hexadecimal digits + one more character (normally ';'), or one of
// &amp; &lt; &gt; &quot; &apos;. Returns the number of characters consumed and the
// decoded byte in *out, or 0 when the '&' is to be taken literally.
std::size_t DecodeEntityAt(const char* p, const char* end, char* out);

// Appends [first, last) to out with its entities decoded.
void AppendDecoded(String& out, const char* first, const char* last);

// True when [p, end) starts with a well-formed character reference &#x<hex digits>;
// and then gives its length in *length.
bool IsHexReference(const char* p, const char* end, std::size_t* length);

}  // namespace XmlText
