#pragma once
// The patches a patch request found, in chain order (oldest first), each with its
// fetched torrent file, as the patch download takes them.
#include "base/runtime/RefCounter.h"
#include "base/runtime/String.h"
#include "base/runtime/Vector.h"
#include "engine/checks/DiskSpaceChecker.h"

class PatchInfo final : public RefCounter {
public:
    PatchInfo(const WideString& patchedTo, int kind, const WideString& torrentFile, const ByteVector& bytes)
        : patchedTo(patchedTo), kind(kind), torrentFile(torrentFile), torrentBytes(bytes) {}

    WideString patchedTo;    // the version the patch produces
    int kind = 1;
    WideString torrentFile;  // the name the history gives, relative to the server's base path
    ByteVector torrentBytes;

    // Writes the torrent into folder under the last component of its name.
    bool SaveToFolder(const WideString& folder) const;

private:
    ~PatchInfo() override = default;
};

class PatchInfos final : public RefCounter {
public:
    Vector<RefPtr<PatchInfo>> items;

    PatchInfos() = default;

    // Writes every torrent into folder (made when missing), each after a check for
    // room; stops at the first that cannot be written. False for an empty list.
    bool Save(const WideString& folder) const;
    bool Save(const WideString& folder, const IDiskSpaceChecker& checker) const;

private:
    ~PatchInfos() override = default;
};
