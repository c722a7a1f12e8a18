#pragma once
// A file system over a test folder with one file mounted from a pack in memory; the packed
// copy is dated 1996, so any file written into the folder now is newer and hides it.
#include <string>

#include "base/vfs/WinVFS.h"

class OldPackedFile {
public:
    // folder ends in '/'; key names the packed file inside it.
    OldPackedFile(const std::string& folder, const std::string& key, const std::string& data);

    const RefPtr<NVFS::CWinVFS>& Vfs() const { return vfs_; }
    bool Mounted() const { return mounted_; }

private:
    std::string pack_;  // the memory pack outlives the file system
    RefPtr<NVFS::CWinVFS> vfs_;
    bool mounted_ = false;
};
