#pragma once
// String utilities: wrappers of the runtime's text functions, locale-free number
// parsing, hexadecimal text, formatting, splitting, trimming and the conversions
// between the process code page (UTF-8 here), UTF-8 and UTF-16.
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/runtime/String.h"

namespace StrUtil {

// The process code page. Narrow text is UTF-8 throughout.
constexpr unsigned kCodePageUtf8 = 65001;
inline constexpr unsigned CodePage = kCodePageUtf8;

// The blank set used with the trimming functions.
inline constexpr char kBlanks[] = " \t\n\r";
inline constexpr char16_t kBlanksW[] = u" \t\n\r";

// Wrappers.
void* MemSet(void* destination, int value, std::size_t count);
void* MemCopy(void* destination, const void* source, std::size_t count);
void* MemMove(void* destination, const void* source, std::size_t count);
std::size_t Length(const char* text);
std::size_t LengthW(const char16_t* text);
int Compare(const char* a, const char* b, std::size_t count);
int CompareW(const char16_t* a, const char16_t* b, std::size_t count);
// ASCII lowering; bytes above 0x7F are returned unchanged.
char ToLower(char c);
// The same for UTF-16: only 'A' to 'Z' change.
char16_t ToLower(char16_t c);
// The text with its ASCII letters lowered. The names the launcher compares without
// letter case (files, folders, torrents) fold this way, never through a locale.
WideString ToLowerAscii(const WideString& text);
std::string ToLowerAscii(std::string_view text);
// Equal once both are lowered the ASCII way.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// Parsing: leading blanks are skipped, the leading number is read, trailing text is
// ignored. The value is 0 and ok false when no number is there or it is out of range.
int ParseInt(const char* text, bool* ok = nullptr);             // decimal, 0 octal, 0x hexadecimal
int ParseDec(const char* text, bool* ok = nullptr);
std::uint32_t ParseHex(const char* text, bool* ok = nullptr);   // optional 0x
std::int64_t ParseInt64(const char* text, bool* ok = nullptr);
float ParseFloat(const char* text, bool* ok = nullptr);         // finite decimals only
double ParseDouble(const char* text, bool* ok = nullptr);       // finite decimals only
bool ParseBool(const char* text, bool* ok = nullptr);
bool IsHexNumber(const String& text);

// Hexadecimal bytes.
void ToHex(const void* bytes, std::size_t count, char* out);  // 2 * count lower-case digits, no terminator
// Reads digit pairs up to the terminating zero into at most capacity bytes. False for
// an odd count of digits, a non-hexadecimal character or more bytes than capacity.
bool FromHex(const char* text, std::uint8_t* out, std::size_t capacity, std::size_t* written = nullptr);

// Trimming.
void TrimLeft(String& text, const char* set = kBlanks);
void TrimRight(String& text, const char* set = kBlanks);
void TrimLeft(WideString& text, const char16_t* set = kBlanksW);
void TrimRight(WideString& text, const char16_t* set = kBlanksW);

// The UTF-8 byte-order mark.
const String& Utf8Bom();
bool StartsWithBom(const String& text);
void StripBom(String& text);

// Formatting: at most 65535 units; longer results are cut.
constexpr std::size_t kFormatLimit = 65535;
String Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
String FormatV(const char* format, va_list args) __attribute__((format(printf, 1, 0)));
// Formats UTF-8 text, then converts it.
WideString FormatW(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The static-buffer family: each call overwrites this thread's one buffer of 65536
// bytes and returns it; copy the result before the next call.
const char* FormatStatic(const char* format, ...) __attribute__((format(printf, 1, 2)));
const char* ClearStatic();
const char* CopyToStatic(const char* text);
const char* JoinStatic3(const char* a, char c, const char* b);
const char* JoinStatic(const char* a, const char* b);
WideString Int64ToWide(std::int64_t value);
WideString DoubleToWide(double value);

// Switches this thread's character classification to the user's locale while it lives.
class CtypeLocaleScope {
public:
    CtypeLocaleScope();
    ~CtypeLocaleScope();
    CtypeLocaleScope(const CtypeLocaleScope&) = delete;
    CtypeLocaleScope& operator=(const CtypeLocaleScope&) = delete;

private:
    void* userLocale_ = nullptr;
    void* previous_ = nullptr;
};

// Splitting and replacing. Empty pieces are kept; an empty separator gives the whole
// text as one piece.
void Split(const String& text, const String& separator, StringVector& out);
void SplitW(const WideString& text, const WideString& separator, WideStringVector& out);
String ReplaceAll(const String& text, const String& from, const String& to);
WideString ReplaceAllW(const WideString& text, const WideString& from, const WideString& to);
// Tokens separated by any unit of the set, where double-quoted parts keep separators;
// non-empty tokens are appended with their quotes.
void SplitQuoted(const WideString& text, const char16_t* separators, WideStringVector& out);

// Conversions. The code-page ones are lenient (invalid units become U+FFFD); the
// UTF-8 ones are strict and return true only when the whole text converted.
void WideToNarrow(String& out, const WideString& in);
void NarrowToWide(WideString& out, const String& in);
bool WideToUtf8(String& out, const WideString& in);
bool Utf8ToWide(WideString& out, const String& in);
bool Utf8ToNarrow(String& out, const String& in);   // out unchanged when in is not valid UTF-8
bool NarrowToUtf8(String& out, const String& in);
bool WideToUtf8Std(std::string& out, const std::u16string& in);
bool Utf8ToWideStd(std::u16string& out, const std::string& in);

// Convenience forms of the code-page conversions.
WideString ToWide(const String& narrow);
String ToNarrow(const WideString& wide);

}  // namespace StrUtil
