#pragma once
// "launcher-downloader.log" in the current folder: one line per speed decision while
// the "logEnabled" switch is on, "[HH:MM:SS] curDownSpeed = ... curDownLimit = ...
// requestedChannel = ..." with the UTC time.
#include "base/runtime/String.h"

void WriteDownloaderLog(float currentSpeed, float currentLimit, float requestedChannel);
// The line without its time prefix (for tests).
String DownloaderLogText(float currentSpeed, float currentLimit, float requestedChannel);
