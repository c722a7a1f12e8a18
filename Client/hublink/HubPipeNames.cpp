#include "hublink/HubPipeNames.h"

#include <glib.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "base/crypto/Md5.h"
#include "base/runtime/StrUtil.h"

namespace VTInterCom {

namespace {

constexpr char kBaseName[] = "VantryV4";

bool IsSeparator(char16_t c) { return c == u'/' || c == u'\\'; }

// The real path of an existing file; empty when there is none.
WideString RealPath(const WideString& path) {
    std::string narrow;
    if (path.IsEmpty() || !StrUtil::WideToUtf8Std(narrow, path.Std())) return WideString();
    std::unique_ptr<char, decltype(&std::free)> real(realpath(narrow.c_str(), nullptr), &std::free);
    std::u16string wide;
    if (!real || !StrUtil::Utf8ToWideStd(wide, real.get())) return WideString();
    return WideString(wide);
}

String HubFolderDigest(const WideString& hubPath) {
    std::size_t end = hubPath.Length();
    while (end > 0 && !IsSeparator(hubPath[end - 1])) --end;
    while (end > 0 && IsSeparator(hubPath[end - 1])) --end;
    // One byte pair per UTF-16 unit, each unit lower-cased on its own (surrogates stay).
    ByteVector bytes;
    for (std::size_t i = 0; i < end; ++i) {
        char16_t unit = hubPath[i];
        if (unit < 0xD800 || unit > 0xDFFF) {
            const gunichar lower = g_unichar_tolower(unit);
            if (lower <= 0xFFFF) unit = static_cast<char16_t>(lower);
        }
        const std::uint8_t pair[2] = {static_cast<std::uint8_t>(unit & 0xff), static_cast<std::uint8_t>(unit >> 8)};
        bytes.Append(pair, sizeof pair);
    }
    std::uint8_t digest[kMd5DigestLength];
    if (!Md5Digest(bytes.Data(), bytes.Size(), digest)) return String();
    char hex[2 * kMd5DigestLength + 1] = {};
    StrUtil::ToHex(digest, sizeof digest, hex);
    return String(hex);
}

}  // namespace

HubPipeNames MakeHubPipeNames(const WideString& hubExecutable) {
    HubPipeNames names;
    names.baseNames.PushBack(String(kBaseName));
    names.hubPath = RealPath(hubExecutable);
    if (names.hubPath.IsEmpty()) return names;
    const String digest = HubFolderDigest(names.hubPath);
    if (!digest.IsEmpty()) names.baseNames.PushBack(String(kBaseName) + String("_") + digest);
    return names;
}

}  // namespace VTInterCom
