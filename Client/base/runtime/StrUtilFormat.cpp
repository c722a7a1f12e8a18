// Formatting into bounded buffers, and the per-thread static buffer.
#include <cinttypes>
#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <locale.h>

#include "base/runtime/StrUtil.h"

namespace {

constexpr std::size_t kBufferSize = StrUtil::kFormatLimit + 1;

char* StaticBuffer() {
    thread_local char buffer[kBufferSize];
    return buffer;
}

std::size_t FormatInto(char* buffer, const char* format, va_list args) {
    const int written = std::vsnprintf(buffer, kBufferSize, format, args);
    if (written < 0) {
        buffer[0] = 0;
        return 0;
    }
    return static_cast<std::size_t>(written) < kBufferSize ? static_cast<std::size_t>(written) : kBufferSize - 1;
}

// Copies at most the room left in the static buffer, from position at.
std::size_t CopyBounded(char* buffer, std::size_t at, const char* text) {
    const std::size_t length = std::strlen(text);
    const std::size_t room = kBufferSize - 1 - at;
    const std::size_t count = length < room ? length : room;
    std::memcpy(buffer + at, text, count);
    return at + count;
}

}  // namespace

namespace StrUtil {

String FormatV(const char* format, va_list args) {
    va_list measure;
    va_copy(measure, args);
    const int needed = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (needed <= 0) return String();
    const std::size_t length = static_cast<std::size_t>(needed) < kFormatLimit ? static_cast<std::size_t>(needed) : kFormatLimit;
    String result;
    result.Reserve(length);
    result.Resize(length);
    std::vsnprintf(result.Data(), length + 1, format, args);
    return result;
}

String Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    String result = FormatV(format, args);
    va_end(args);
    return result;
}

WideString FormatW(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const String narrow = FormatV(format, args);
    va_end(args);
    WideString wide;
    NarrowToWide(wide, narrow);
    if (wide.Length() > kFormatLimit) wide.Resize(kFormatLimit);
    return wide;
}

const char* FormatStatic(const char* format, ...) {
    char* buffer = StaticBuffer();
    va_list args;
    va_start(args, format);
    FormatInto(buffer, format, args);
    va_end(args);
    return buffer;
}

const char* ClearStatic() {
    char* buffer = StaticBuffer();
    buffer[0] = 0;
    return buffer;
}

const char* CopyToStatic(const char* text) {
    char* buffer = StaticBuffer();
    buffer[CopyBounded(buffer, 0, text)] = 0;
    return buffer;
}

const char* JoinStatic3(const char* a, char c, const char* b) {
    char* buffer = StaticBuffer();
    std::size_t at = CopyBounded(buffer, 0, a);
    if (at < kBufferSize - 1) buffer[at++] = c;
    buffer[CopyBounded(buffer, at, b)] = 0;
    return buffer;
}

const char* JoinStatic(const char* a, const char* b) {
    char* buffer = StaticBuffer();
    const std::size_t at = CopyBounded(buffer, 0, a);
    buffer[CopyBounded(buffer, at, b)] = 0;
    return buffer;
}

WideString Int64ToWide(std::int64_t value) { return ToWide(String(FormatStatic("%" PRId64, value))); }

WideString DoubleToWide(double value) { return ToWide(String(FormatStatic("%g", value))); }

CtypeLocaleScope::CtypeLocaleScope() {
    locale_t user = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
    if (!user) return;  // no such locale installed: classification stays as it is
    userLocale_ = user;
    previous_ = uselocale(user);
}

CtypeLocaleScope::~CtypeLocaleScope() {
    if (!userLocale_) return;
    uselocale(static_cast<locale_t>(previous_));
    freelocale(static_cast<locale_t>(userLocale_));
}

}  // namespace StrUtil
