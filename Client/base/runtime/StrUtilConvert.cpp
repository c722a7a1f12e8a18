// Conversions between the process code page (UTF-8), UTF-8 and UTF-16.
#include "base/runtime/StrUtil.h"
#include "base/runtime/Utf.h"

namespace {

bool StrictUtf16ToUtf8(const char16_t* in, std::size_t n, String& out) {
    // Most text fits in two bytes per unit; text with three-byte characters needs a
    // second pass with room for the worst case.
    out.Resize(2 * n);
    ConversionProgress progress = ConvertUtf16ToUtf8(in, n, out.Data(), 2 * n);
    if (progress.result == ConversionResult::targetExhausted) {
        out.Resize(4 * n);
        progress = ConvertUtf16ToUtf8(in, n, out.Data(), 4 * n);
    }
    out.Resize(progress.written);
    return progress.result == ConversionResult::conversionOK;
}

bool StrictUtf8ToUtf16(const char* in, std::size_t n, WideString& out) {
    out.Resize(n);
    const ConversionProgress progress = ConvertUtf8ToUtf16(in, n, out.Data(), n);
    out.Resize(progress.written);
    return progress.result == ConversionResult::conversionOK;
}

}  // namespace

namespace StrUtil {

void WideToNarrow(String& out, const WideString& in) {
    // Sized from the real UTF-8 length: CJK text needs three bytes per unit.
    const std::size_t length = LenientUtf16ToUtf8(in.CStr(), in.Length(), nullptr);
    out.Resize(length);
    LenientUtf16ToUtf8(in.CStr(), in.Length(), out.Data());
}

void NarrowToWide(WideString& out, const String& in) {
    const std::size_t length = LenientUtf8ToUtf16(in.CStr(), in.Length(), nullptr);
    out.Resize(length);
    LenientUtf8ToUtf16(in.CStr(), in.Length(), out.Data());
}

bool WideToUtf8(String& out, const WideString& in) { return StrictUtf16ToUtf8(in.CStr(), in.Length(), out); }

bool Utf8ToWide(WideString& out, const String& in) { return StrictUtf8ToUtf16(in.CStr(), in.Length(), out); }

bool Utf8ToNarrow(String& out, const String& in) {
    WideString wide;
    if (!Utf8ToWide(wide, in)) return false;
    WideToNarrow(out, wide);
    return true;
}

bool NarrowToUtf8(String& out, const String& in) {
    WideString wide;
    NarrowToWide(wide, in);
    return WideToUtf8(out, wide);
}

bool WideToUtf8Std(std::string& out, const std::u16string& in) {
    String narrow;
    const bool ok = StrictUtf16ToUtf8(in.data(), in.size(), narrow);
    out.assign(narrow.CStr(), narrow.Length());
    return ok;
}

bool Utf8ToWideStd(std::u16string& out, const std::string& in) {
    WideString wide;
    const bool ok = StrictUtf8ToUtf16(in.data(), in.size(), wide);
    out.assign(wide.CStr(), wide.Length());
    return ok;
}

WideString ToWide(const String& narrow) {
    WideString wide;
    NarrowToWide(wide, narrow);
    return wide;
}

String ToNarrow(const WideString& wide) {
    String narrow;
    WideToNarrow(narrow, wide);
    return narrow;
}

}  // namespace StrUtil
