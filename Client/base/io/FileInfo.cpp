#include "base/io/FileInfo.h"

#include <fcntl.h>
#include <sys/stat.h>

#include "base/io/Path.h"

namespace Path {

namespace {
bool Fill(int dirFd, const char* path, int flags, FileInfo& info) {
    struct statx stx {};
    if (::statx(dirFd, path, flags, STATX_BASIC_STATS | STATX_BTIME, &stx) != 0) return false;
    info.size = stx.stx_size;
    info.isDirectory = S_ISDIR(stx.stx_mode);
    info.isRegular = S_ISREG(stx.stx_mode);
    info.readOnly = (stx.stx_mode & S_IWUSR) == 0;
    info.modified = static_cast<std::time_t>(stx.stx_mtime.tv_sec);
    const std::time_t born = (stx.stx_mask & STATX_BTIME) ? static_cast<std::time_t>(stx.stx_btime.tv_sec)
                                                           : info.modified;
    info.createdDos = FileTimeToDos(born);
    info.modifiedDos = FileTimeToDos(info.modified);
    info.accessedDos = FileTimeToDos(static_cast<std::time_t>(stx.stx_atime.tv_sec));
    return true;
}
}  // namespace

bool GetFileInfo(const String& path, FileInfo& info) { return Fill(AT_FDCWD, path.CStr(), 0, info); }

bool GetFileInfo(int fd, FileInfo& info) { return Fill(fd, "", AT_EMPTY_PATH, info); }

}  // namespace Path
