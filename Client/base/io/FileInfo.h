#pragma once
// What the launcher needs to know of one file on disk: size, kind and DOS times.
#include <cstdint>
#include <ctime>

#include "base/runtime/String.h"

namespace Path {

struct FileInfo {
    std::uint64_t size = 0;
    bool isDirectory = false;
    bool isRegular = false;
    bool readOnly = false;     // the owner's write bit is clear
    std::time_t modified = 0;  // POSIX seconds of the last write
    std::uint32_t createdDos = 0;   // birth time where the file system keeps one, else the last write
    std::uint32_t modifiedDos = 0;
    std::uint32_t accessedDos = 0;
};

// statx of the path (following links); false when it does not exist.
bool GetFileInfo(const String& path, FileInfo& info);
bool GetFileInfo(int fd, FileInfo& info);

}  // namespace Path
