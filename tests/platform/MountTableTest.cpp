// The mount table as the kernel writes it: escaped names, optional fields, FUSE
// subtypes, nested and stacked mounts, and lines that are not mounts at all.
#include <gtest/gtest.h>

#include <string>

#include "platform/posix/MountTable.h"

namespace {

const char kTable[] =
    "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
    "30 22 0:40 / /home rw shared:10 master:2 - btrfs /dev/sda2 rw\n"
    "31 30 0:41 / /home/p/My\\040Games rw - nfs4 server:/games rw,vers=4.2\n"
    "32 31 0:42 / /home/p/My\\040Games/local rw - ext4 /dev/sdb1 rw\n"
    "33 22 0:43 / /mnt/remote rw,nosuid - fuse.sshfs p@host:/srv rw,user_id=1000\n"
    "34 22 0:44 / /mnt/a rw - tmpfs tmpfs rw\n"
    "35 34 0:45 / /mnt/a rw - cifs //nas/share rw\n"
    "not a mount line\n"
    "36 22 0:46 / relative rw - ext4 /dev/x rw\n"
    "37 22 0:47 / /broken rw shared:3\n";

TEST(MountTable, FindsTheMountHoldingEachPath) {
    const std::vector<MountEntry> mounts = ParseMountInfo(kTable);
    ASSERT_EQ(mounts.size(), 7u);  // the three broken lines are skipped
    struct Case {
        const char* path;
        const char* type;
    } cases[] = {
        {"/usr/bin/env", "ext4"},
        {"/home/p/file", "btrfs"},
        {"/home/p/My Games/bin/Launcher.exe", "nfs4"},        // "\040" is a space
        {"/home/p/My Games/local/bin/Launcher.exe", "ext4"},  // a local mount inside the network one
        {"/home/p/My Gamesx/bin", "btrfs"},                   // whole components only
        {"/mnt/remote", "fuse.sshfs"},
        {"/mnt/a/bin", "cifs"},  // the later of two mounts on one point hides the earlier
        {"/mnt/ab", "ext4"},
    };
    for (const Case& c : cases) {
        const MountEntry* mount = FindMountOf(mounts, c.path);
        ASSERT_NE(mount, nullptr) << c.path;
        EXPECT_EQ(mount->type, c.type) << c.path;
    }
    EXPECT_EQ(FindMountOf(mounts, "relative/path"), nullptr);
    EXPECT_EQ(FindMountOf({}, "/home"), nullptr);
}

TEST(MountTable, DecodesOnlyWholeOctalEscapes) {
    const std::vector<MountEntry> mounts =
        ParseMountInfo("1 0 0:1 / /a\\134b\\011c\\04\\999 rw - ext4 x rw\n2 0 0:2 / /end\\ rw - ext4 x rw");
    ASSERT_EQ(mounts.size(), 2u);
    EXPECT_EQ(mounts[0].mountPoint, "/a\\b\tc\\04\\999");
    EXPECT_EQ(mounts[1].mountPoint, "/end\\");
}

TEST(MountTable, ReadsThisProcesssOwnTable) {
    const std::vector<MountEntry> mounts = ParseMountInfo(ReadOwnMountInfo());
    ASSERT_FALSE(mounts.empty());
    EXPECT_NE(FindMountOf(mounts, "/"), nullptr);
}

}  // namespace
