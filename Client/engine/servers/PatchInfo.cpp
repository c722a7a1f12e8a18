#include "engine/servers/PatchInfo.h"

#include "engine/servers/FetchedFiles.h"

bool PatchInfo::SaveToFolder(const WideString& folder) const {
    const WideString name = ServerFileName(torrentFile);
    return !name.IsEmpty() && WriteFetchedFile(folder, name, torrentBytes);
}

bool PatchInfos::Save(const WideString& folder) const {
    if (items.Empty() || folder.IsEmpty()) return false;
    return Save(folder, *DiskSpaceChecker::Create(folder));
}

bool PatchInfos::Save(const WideString& folder, const IDiskSpaceChecker& checker) const {
    if (items.Empty() || folder.IsEmpty()) return false;
    for (const RefPtr<PatchInfo>& patch : items) {
        if (!SaveWithSpaceCheck(patch->torrentBytes, folder, ServerFileName(patch->torrentFile), checker)) return false;
    }
    return true;
}
