// Untrusted text through the number parsers, the hexadecimal decoder, the quoted
// splitter and the UTF converters.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/runtime/Guid.h"
#include "base/runtime/StrUtil.h"
#include "base/runtime/Utf.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const char* c = text.c_str();
    bool ok;
    StrUtil::ParseInt(c, &ok);
    StrUtil::ParseHex(c, &ok);
    StrUtil::ParseInt64(c, &ok);
    StrUtil::ParseDouble(c, &ok);
    StrUtil::ParseBool(c, &ok);
    StrUtil::IsHexNumber(String(c));

    std::uint8_t bytes[16];
    std::size_t written = 0;
    StrUtil::FromHex(c, bytes, sizeof bytes, &written);
    if (written > sizeof bytes) __builtin_trap();

    Guid guid;
    GuidFromText(String(text.data(), text.data() + text.size()), guid);

    const String narrow(text.data(), text.data() + text.size());
    WideString wide;
    const bool valid = StrUtil::Utf8ToWide(wide, narrow);
    String back;
    if (valid && (!StrUtil::WideToUtf8(back, wide) || !back.Equals(narrow))) __builtin_trap();
    const WideString lenient(narrow);
    WideStringVector tokens;
    StrUtil::SplitQuoted(lenient, StrUtil::kBlanksW, tokens);

    // The same bytes read as UTF-16 units.
    WideString units(reinterpret_cast<const char16_t*>(data), reinterpret_cast<const char16_t*>(data) + size / 2);
    String utf8;
    StrUtil::WideToUtf8(utf8, units);
    const String replaced(units);
    WideString again;
    if (!StrUtil::Utf8ToWide(again, replaced)) __builtin_trap();  // the lenient form is always valid UTF-8
    return 0;
}
