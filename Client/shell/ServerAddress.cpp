#include <algorithm>
#include <cmath>

#include "shell/LauncherConfig.h"

ServerAddress MakeServerAddress(const String& host, const String& basePath, double port, double timeoutMs,
                                const String& hostType) {
    ServerAddress address;
    address.host = host;
    address.basePath = basePath;
    if (std::isnan(port)) port = kFallbackPort;
    address.port = static_cast<std::uint16_t>(std::clamp(std::trunc(port), 1.0, 65535.0));
    if (std::isnan(timeoutMs)) timeoutMs = kDefaultHostTimeoutMs;
    address.timeoutMs = static_cast<std::int32_t>(std::clamp(std::trunc(timeoutMs), kMinHostTimeoutMs, kMaxHostTimeoutMs));
    address.hostType = hostType.Equals("patch") ? 1 : 2;
    return address;
}
