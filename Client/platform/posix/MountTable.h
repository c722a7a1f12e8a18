#pragma once
// The mounts of this process as the kernel lists them in /proc/self/mountinfo: where
// each file system is mounted and of which type it is, so a path can be traced to
// the file system that holds it.
#include <string>
#include <vector>

struct MountEntry {
    std::string mountPoint;  // absolute, escapes decoded
    std::string type;        // with its subtype for FUSE mounts: "fuse.sshfs"
};

// Parses mountinfo text; lines without the fields of a mount are skipped.
std::vector<MountEntry> ParseMountInfo(const std::string& text);

// The mount that holds an absolute, resolved path: the one whose mount point is the
// longest leading run of whole components, and of those the one listed last (a
// later mount on the same point hides the earlier). Null when none does.
const MountEntry* FindMountOf(const std::vector<MountEntry>& mounts, const std::string& path);

// The text of /proc/self/mountinfo; "" when it cannot be read.
std::string ReadOwnMountInfo();
