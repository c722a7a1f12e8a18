#include "base/config/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace Global {

::String FormatGeneral(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    return ::String(buffer, result.ptr);
}

::String FormatForFile(double value) {
    // 2^63 is exact as a double; anything at or beyond it would overflow the cast.
    constexpr double kLimit = 9223372036854775808.0;
    if (std::isfinite(value) && std::floor(value) == value && value > -kLimit && value < kLimit) {
        char buffer[32];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<std::int64_t>(value));
        return ::String(buffer, result.ptr);
    }
    return FormatGeneral(value);
}

}  // namespace Global
