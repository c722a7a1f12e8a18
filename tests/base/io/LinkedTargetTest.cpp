// The files that base/io writes, each with a link planted in its place by a player who
// wants the launcher, running as root, to write a file of the system for them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "base/io/FileStream.h"
#include "base/io/MemoryMappedFile.h"
#include "base/io/ZipPacker.h"
#include "support/LinkBait.h"
#include "support/TempDir.h"

namespace {

TEST(LinkedTarget, AReplacedFileTakesTheLinksNameAndNeitherTheBaitsBytesNorItsMode) {
    TempDir dir;
    const LinkBait bait(dir / "etc/shadow", dir / "game/servers.xml");
    ASSERT_TRUE(WriteFileReplacing(String((dir / "game/servers.xml").c_str()), "new", 3));
    EXPECT_TRUE(bait.Untouched());
    EXPECT_TRUE(bait.ReplacedByAFile());
    EXPECT_EQ(dir.ReadFile("game/servers.xml"), "new");
    struct stat info {};
    ASSERT_EQ(::stat((dir / "game/servers.xml").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u) << "the mode of a file a link points to is not the replaced file's";
}

TEST(LinkedTarget, APackedFileTakesTheLinksName) {
    TempDir dir;
    const LinkBait bait(dir / "etc/shadow", dir / "game/data.z");
    {
        RefPtr<ZipPacker> packer = ZipPacker::Create(String((dir / "game/data.z").c_str()));
        ASSERT_TRUE(packer);
        ASSERT_TRUE(packer->Write("packed", 6));
    }
    EXPECT_TRUE(bait.Untouched());
    EXPECT_TRUE(bait.ReplacedByAFile());
}

// The write side of a mapped file opens a name that its caller made moments before; a
// link swapped in for it since is not written through.
TEST(LinkedTarget, AMappedFileForWritingIsNotOpenedThroughALink) {
    TempDir dir;
    const LinkBait bait(dir / "etc/shadow", dir / "game/.servers.xml.a1b2c3");
    RefPtr<CMemoryMappedFile> file(new CMemoryMappedFile(String((dir / "game/.servers.xml.a1b2c3").c_str()),
                                                         FileSource::Write));
    file->Write("x", 1);
    file->Finish();
    EXPECT_TRUE(bait.Untouched());
    EXPECT_TRUE(bait.LeftAlone());
}

}  // namespace
