#pragma once
// The path argument of the file system's operations and the file times it reports.
#include <cstdint>

#include "base/io/ZipArchive.h"
#include "base/runtime/String.h"

namespace NVFS {

struct FilePath {
    String path;
    RefPtr<ZipArchive> archive;  // with index, names one archive entry directly
    std::int32_t index = -1;

    FilePath() = default;
    FilePath(const String& text) : path(text) {}
    FilePath(const char* text) : path(text) {}
};

// Times are packed MS-DOS date-times in local time (date in the high half), so that a
// larger number is a later time.
struct FileStat {
    std::uint32_t flags = 0;
    std::uint64_t size = 0;  // loose files may pass 4 GiB; pack entries stay below it
    std::uint32_t created = 0;
    std::uint32_t modified = 0;
    std::uint32_t accessed = 0;
};

// A path made relative to a root, and whether it lies inside it.
struct RelativePath {
    String path;  // '/' separators
    bool inside = false;
};
RelativePath MakeRelative(const String& path, const String& root);

// False for keys that would climb out of the root (a ".." component).
bool IsSafeKey(const String& key);

// Fills a FileStat from a file on disk; false when it is not an existing regular file.
bool StatDiskFile(const String& path, FileStat* out);

}  // namespace NVFS
