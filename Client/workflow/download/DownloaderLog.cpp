#include "workflow/download/DownloaderLog.h"

#include <cstdio>
#include <ctime>

String DownloaderLogText(float currentSpeed, float currentLimit, float requestedChannel) {
    char text[1024];
    std::snprintf(text, sizeof text, "curDownSpeed = %f curDownLimit = %f requestedChannel = %f",
                  static_cast<double>(currentSpeed), static_cast<double>(currentLimit),
                  static_cast<double>(requestedChannel));
    return String(text);
}

void WriteDownloaderLog(float currentSpeed, float currentLimit, float requestedChannel) {
    std::FILE* log = std::fopen("launcher-downloader.log", "ae");
    if (!log) return;
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    std::fprintf(log, "[%2i:%2i:%2i] %s\n", utc.tm_hour, utc.tm_min, utc.tm_sec,
                 DownloaderLogText(currentSpeed, currentLimit, requestedChannel).CStr());
    std::fclose(log);
}
