#pragma once
// The file operations of the self-update on narrow (UTF-8) paths. Directories and
// symlinks are never followed: a link is tested and deleted as a name of its own.
#include <string>
#include <vector>

// The player's own data and the mods survive a reinstall: a folder whose name contains
// "personal", or contains "mods" inside a folder whose name contains "data" (ASCII
// letter case ignored).
bool IsProtectedFolder(const std::string& path);

// Whether a file can be replaced: a read-only file is made writable first. A running
// executable, or a file that does not open for writing, is appended to locked and
// gives false. Links and other non-regular entries pass: they are replaced as names.
bool TestFile(const std::string& path, std::vector<std::string>& locked);

// TestFile for every file below folder, protected folders left out; every file is
// tested, so locked gathers all of them. A folder that cannot be listed counts as locked.
bool TestTree(const std::string& folder, std::vector<std::string>& locked);

// Deletes folder with everything in it except protected folders (a folder still
// holding one stays), through the one safe walk (platform/posix/TreeDeletion.h): folder
// must be absolute and canonical, and no link is followed. Stops at the first entry
// that cannot be deleted; false then, and for a refused path.
bool DeleteTree(const std::string& folder);

// The names in folder, sorted, without "." and ".."; directory tells for each whether
// it is a real directory (not a link to one). False when the folder cannot be read.
struct FolderEntry {
    std::string name;
    bool directory = false;
};
bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries);
