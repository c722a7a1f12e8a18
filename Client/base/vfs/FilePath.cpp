#include "base/vfs/FilePath.h"

#include <mutex>

#include "base/io/FileInfo.h"
#include "base/io/Path.h"
#include "base/vfs/IVFS.h"

namespace NVFS {

RelativePath MakeRelative(const String& path, const String& root) {
    RelativePath result;
    if (root.IsEmpty()) {
        Path::ToForwardSlashes(result.path, path);
        return result;
    }
    if (path.Length() >= root.Length() && Path::Equal(path.CStr(), root.Length(), root.CStr(), root.Length())) {
        Path::ToForwardSlashes(result.path, path.Substr(root.Length()));
        result.inside = true;
        return result;
    }
    if (path.Length() > 2 && path[1] == ':' && Path::IsSeparator(path[2])) {
        Path::ToForwardSlashes(result.path, path);
        return result;
    }
    Path::ToForwardSlashes(result.path, (!path.IsEmpty() && Path::IsSeparator(path[0])) ? String(path.Substr(1)) : path);
    result.inside = true;
    return result;
}

bool IsSafeKey(const String& key) {
    for (const String& part : Path::Split(key)) {
        if (part.Equals("..")) return false;
    }
    return true;
}

bool StatDiskFile(const String& path, FileStat* out) {
    Path::FileInfo info;
    if (!Path::GetFileInfo(path, info) || !info.isRegular) return false;
    if (out) {
        out->flags = 0;
        out->size = info.size;
        out->created = info.createdDos;
        out->modified = info.modifiedDos;
        out->accessed = info.accessedDos;
    }
    return true;
}

namespace {
std::mutex& GlobalLock() {
    static std::mutex lock;
    return lock;
}
RefPtr<IVFS>& GlobalSlot() {
    static RefPtr<IVFS> slot;
    return slot;
}
}  // namespace

void SetGlobalVFS(IVFS* vfs) {
    RefPtr<IVFS> old;
    {
        std::lock_guard<std::mutex> guard(GlobalLock());
        old = GlobalSlot();
        GlobalSlot() = vfs;
    }
}

RefPtr<IVFS> GetGlobalVFS() {
    std::lock_guard<std::mutex> guard(GlobalLock());
    return GlobalSlot();
}

}  // namespace NVFS
