#include "engine/servers/RipPatchInfo.h"

#include "engine/servers/FetchedFiles.h"

bool RipPatchInfo::SaveRipTorrent(const WideString& folder) const {
    return SaveToFolder(ripTorrentBytes, folder, ServerFileName(ripTorrentName));
}

bool RipPatchInfo::SaveLauncherTorrent(const WideString& folder) const {
    return SaveToFolder(launcherTorrentBytes, folder, ServerFileName(launcherTorrentName));
}

bool RipPatchInfo::SaveVersionFile(const WideString& folder, const WideString& name) const {
    return SaveToFolder(versionFileBytes, folder, name);
}

bool RipPatchInfo::SaveToFolder(const ByteVector& bytes, const WideString& folder, const WideString& name) {
    if (folder.IsEmpty() || name.IsEmpty()) return false;
    return SaveWithSpaceCheck(bytes, folder, name, *DiskSpaceChecker::Create(folder));
}
