#include "workflow/download/DownloaderLog.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

#include "platform/posix/RegularFile.h"

String DownloaderLogText(float currentSpeed, float currentLimit, float requestedChannel) {
    char text[1024];
    std::snprintf(text, sizeof text, "curDownSpeed = %f curDownLimit = %f requestedChannel = %f",
                  static_cast<double>(currentSpeed), static_cast<double>(currentLimit),
                  static_cast<double>(requestedChannel));
    return String(text);
}

void WriteDownloaderLog(float currentSpeed, float currentLimit, float requestedChannel) {
    // The launcher's folder may be the player's: a link there is not appended to.
    const int fd = Posix::OpenRegularFileToWrite("launcher-downloader.log", O_WRONLY | O_APPEND | O_CREAT, 0644);
    if (fd < 0) return;
    std::FILE* log = ::fdopen(fd, "a");
    if (!log) {
        ::close(fd);
        return;
    }
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    std::fprintf(log, "[%2i:%2i:%2i] %s\n", utc.tm_hour, utc.tm_min, utc.tm_sec,
                 DownloaderLogText(currentSpeed, currentLimit, requestedChannel).CStr());
    std::fclose(log);
}
