#include "engine/checks/DiskSpaceChecker.h"

#include <sys/statvfs.h>

#include "base/io/Path.h"

RefPtr<DiskSpaceChecker> DiskSpaceChecker::Create(const WideString& path, FreeBytes free) {
    return RefPtr<DiskSpaceChecker>(new DiskSpaceChecker(String(MakeLongPath(path)), std::move(free)));
}

bool DiskSpaceChecker::MeasureFreeBytes(const String& folder, std::uint64_t& freeBytes) {
    struct statvfs info {};
    if (::statvfs(folder.CStr(), &info) != 0) return false;
    freeBytes = static_cast<std::uint64_t>(info.f_bavail) * static_cast<std::uint64_t>(info.f_frsize);
    return true;
}

bool DiskSpaceChecker::HasFreeSpace(double bytes) const {
    if (path_.IsEmpty() || !free_) return false;
    // From the folder up to the first one that exists.
    String folder = path_;
    for (;;) {
        std::uint64_t freeBytes = 0;
        if (Path::DirectoryExists(folder)) return free_(folder, freeBytes) && static_cast<double>(freeBytes) > bytes;
        while (folder.Length() > 1 && Path::IsSeparator(folder[folder.Length() - 1])) folder.Resize(folder.Length() - 1);
        const String parent = Path::ParentPath(folder);
        if (parent.IsEmpty() || parent.Equals(folder)) return false;
        folder = parent;
    }
}

WideString MakeLongPath(const WideString& path) {
    if (path.IsEmpty() || Path::CurrentDirectory().IsEmpty()) return WideString();
    return WideString(Path::AbsolutePath(String(path)));
}
