#pragma once
// The repair set fetched from the update server: the repair torrent, the launcher's
// torrent and the version file of the current game, each with the name it is saved
// under.
#include "base/runtime/RefCounter.h"
#include "base/runtime/String.h"
#include "base/runtime/Vector.h"
#include "engine/checks/DiskSpaceChecker.h"

class RipPatchInfo final : public RefCounter {
public:
    ByteVector versionFileBytes;
    WideString ripTorrentName;  // as the history gives it
    ByteVector ripTorrentBytes;
    WideString launcherTorrentName;
    ByteVector launcherTorrentBytes;

    RipPatchInfo() = default;

    // The repair torrent, under the last component of its name.
    bool SaveRipTorrent(const WideString& folder) const;
    bool SaveLauncherTorrent(const WideString& folder) const;
    // The version file under a name of the caller's, which may name subfolders
    // ("Profiles/game.version").
    bool SaveVersionFile(const WideString& folder, const WideString& name) const;

    // Writes bytes as folder/name after a check for room on the folder's file system.
    static bool SaveToFolder(const ByteVector& bytes, const WideString& folder, const WideString& name);

private:
    ~RipPatchInfo() override = default;
};
