// Fetched files on disk: the room asked for, the folder measured, the names the
// server's files are saved under, and writes that replace a file whole or not at all.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "base/vfs/WinVFS.h"
#include "engine/checks/DiskSpaceChecker.h"
#include "engine/servers/FetchedFiles.h"
#include "engine/servers/PatchInfo.h"
#include "engine/servers/RipPatchInfo.h"
#include "support/OldPackedFile.h"
#include "support/TempDir.h"

namespace {

ByteVector Bytes(const std::string& text) {
    ByteVector bytes;
    bytes.Append(text.data(), text.size());
    return bytes;
}

WideString Wide(const std::string& text) { return WideString(String(text.c_str())); }

// A file system of a chosen size; records which folder it was asked about.
struct FakeVolume {
    std::uint64_t freeBytes = 0;
    std::string asked;

    DiskSpaceChecker::FreeBytes Source() {
        return [this](const String& folder, std::uint64_t& free) {
            asked = folder.Std();
            free = freeBytes;
            return true;
        };
    }
};

RefPtr<PatchInfo> Patch(const std::string& name, const std::string& bytes) {
    return RefPtr<PatchInfo>(new PatchInfo(WideString(u"1.0.1"), 1, Wide(name), Bytes(bytes)));
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(DiskSpace, MoreThanTheBytesMustBeFree) {
    FakeVolume volume;
    TempDir dir;
    RefPtr<DiskSpaceChecker> checker = DiskSpaceChecker::Create(Wide(dir.Path()), volume.Source());
    volume.freeBytes = 130;
    EXPECT_FALSE(checker->HasFreeSpace(130));
    EXPECT_TRUE(checker->HasFreeSpace(129.9));
    // A 100-byte file asks for 30 % more.
    EXPECT_FALSE(SaveWithSpaceCheck(Bytes(std::string(100, 'x')), Wide(dir.Path()), WideString(u"a"), *checker));
    volume.freeBytes = 131;
    EXPECT_TRUE(SaveWithSpaceCheck(Bytes(std::string(100, 'x')), Wide(dir.Path()), WideString(u"a"), *checker));
    volume.freeBytes = 130000;
    EXPECT_FALSE(SaveWithSpaceCheck(Bytes(std::string(100000, 'x')), Wide(dir.Path()), WideString(u"b"), *checker));
    EXPECT_EQ(dir.FileSize("b"), -1);
}

TEST(DiskSpace, TheNearestExistingFolderIsMeasuredNotTheRoot) {
    TempDir dir;
    FakeVolume volume;
    volume.freeBytes = 1 << 20;
    RefPtr<DiskSpaceChecker> missing = DiskSpaceChecker::Create(Wide(dir / "not/yet/there"), volume.Source());
    EXPECT_TRUE(missing->HasFreeSpace(1000));
    EXPECT_EQ(volume.asked, dir.Path());

    // The real measure: what an unprivileged writer may still use there.
    std::uint64_t free = 0;
    ASSERT_TRUE(DiskSpaceChecker::MeasureFreeBytes(String(dir.Path().c_str()), free));
    EXPECT_GT(free, 0u);
    EXPECT_TRUE(DiskSpaceChecker::Create(Wide(dir / "missing/folder"))->HasFreeSpace(1));
    EXPECT_FALSE(DiskSpaceChecker::Create(Wide(dir / "missing/folder"))->HasFreeSpace(static_cast<double>(free) * 4));
}

TEST(DiskSpace, LongPathsAreCompleteAgainstTheCurrentFolder) {
    EXPECT_TRUE(MakeLongPath(WideString()).IsEmpty());
    EXPECT_EQ(String(MakeLongPath(WideString(u"/a/b/../c"))).Std(), "/a/c");
    const std::string cwd = std::filesystem::current_path().string();
    EXPECT_EQ(String(MakeLongPath(WideString(u"x/y.torrent"))).Std(), cwd + "/x/y.torrent");
}

TEST(FetchedFiles, ServerNamesAreSavedUnderTheirLastComponent) {
    struct Case {
        const char16_t* name;
        const char16_t* saved;
    } cases[] = {
        {u"plain.torrent", u"plain.torrent"}, {u"patches/5.2/a.torrent", u"a.torrent"}, {u"..\\..\\b.torrent", u"b.torrent"},
        {u"/etc/passwd", u"passwd"},          {u"", u""},                                {u".", u""},
        {u"a/..", u""},                       {u"patches/", u""},                        {u"a\nb.torrent", u""},
        {u"a\x7f.torrent", u""},
    };
    for (const Case& c : cases) EXPECT_EQ(ServerFileName(WideString(c.name)).Std(), std::u16string(c.saved)) << String(WideString(c.name)).Std();
}

TEST(FetchedFiles, PatchTorrentsAreSavedInOrderUntilOneCannotBe) {
    TempDir dir;
    FakeVolume volume;
    volume.freeBytes = 1 << 20;
    RefPtr<DiskSpaceChecker> checker = DiskSpaceChecker::Create(Wide(dir.Path()), volume.Source());
    const WideString folder = Wide(dir / "Patches/new");

    RefPtr<PatchInfos> empty(new PatchInfos());
    EXPECT_FALSE(empty->Save(folder, *checker));

    RefPtr<PatchInfos> patches(new PatchInfos());
    patches->items.PushBack(Patch("patches/sub/1.torrent", "one"));
    patches->items.PushBack(Patch("2.torrent", "two"));
    EXPECT_FALSE(patches->Save(WideString(), *checker));
    EXPECT_TRUE(patches->Save(folder, *checker));  // the missing folders are made first
    EXPECT_EQ(FilesIn(dir / "Patches/new"), (std::vector<std::string>{"1.torrent", "2.torrent"}));
    EXPECT_EQ(dir.ReadFile("Patches/new/1.torrent"), "one");

    // An unusable name, or no room, stops the save there; what came before stays.
    RefPtr<PatchInfos> broken(new PatchInfos());
    broken->items.PushBack(Patch("3.torrent", "three"));
    broken->items.PushBack(Patch("..", "dots"));
    broken->items.PushBack(Patch("4.torrent", "four"));
    EXPECT_FALSE(broken->Save(folder, *checker));
    EXPECT_EQ(FilesIn(dir / "Patches/new"), (std::vector<std::string>{"1.torrent", "2.torrent", "3.torrent"}));
    RefPtr<PatchInfos> mixed(new PatchInfos());
    mixed->items.PushBack(Patch("small.torrent", "abc"));
    mixed->items.PushBack(Patch("large.torrent", std::string(30, 'l')));
    mixed->items.PushBack(Patch("after.torrent", "x"));
    volume.freeBytes = 10;
    EXPECT_FALSE(mixed->Save(Wide(dir / "full"), *checker));
    EXPECT_EQ(FilesIn(dir / "full"), std::vector<std::string>{"small.torrent"});

    // One patch on its own, with the real measure.
    EXPECT_TRUE(Patch("x/5.torrent", "five")->SaveToFolder(folder));
    EXPECT_EQ(dir.ReadFile("Patches/new/5.torrent"), "five");
    EXPECT_FALSE(Patch("", "none")->SaveToFolder(folder));
    EXPECT_TRUE(patches->Save(Wide(dir / "real")));
}

TEST(FetchedFiles, RepairFilesLandInsideTheirFolder) {
    TempDir dir;
    RefPtr<RipPatchInfo> rip(new RipPatchInfo());
    rip->ripTorrentName = WideString(u"rip/5.2/Rip.torrent");
    rip->ripTorrentBytes = Bytes("rip");
    rip->launcherTorrentName = WideString(u"Launcher.torrent");
    rip->launcherTorrentBytes = Bytes("launcher");
    rip->versionFileBytes = Bytes("new version");
    dir.WriteFile("game/Profiles/game.version", "old version");

    EXPECT_TRUE(rip->SaveRipTorrent(Wide(dir / "Patches")));
    EXPECT_TRUE(rip->SaveLauncherTorrent(Wide(dir / "Patches")));
    EXPECT_EQ(FilesIn(dir / "Patches"), (std::vector<std::string>{"Launcher.torrent", "Rip.torrent"}));
    EXPECT_TRUE(rip->SaveVersionFile(Wide(dir / "game"), WideString(u"Profiles/game.version")));
    EXPECT_EQ(dir.ReadFile("game/Profiles/game.version"), "new version");
    EXPECT_EQ(FilesIn(dir / "game/Profiles"), std::vector<std::string>{"game.version"});

    for (const char16_t* name : {u"../outside", u"/etc/outside", u"Profiles/..", u"", u"a\rb"})
        EXPECT_FALSE(rip->SaveVersionFile(Wide(dir / "game"), WideString(name))) << String(WideString(name)).Std();
    EXPECT_FALSE(rip->SaveVersionFile(WideString(), WideString(u"game.version")));
    EXPECT_FALSE(std::filesystem::exists(dir / "outside"));
}

TEST(FetchedFiles, AWriteThatFailsLeavesTheOldFile) {
    TempDir dir;
    dir.WriteFile("Patches/1.torrent", "old");
    // The file-size limit makes the write fail as a full disk would.
    signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = Patch("1.torrent", std::string(100000, 'n'))->SaveToFolder(Wide(dir / "Patches"));
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, SIG_DFL);
    EXPECT_FALSE(written);
    EXPECT_EQ(dir.ReadFile("Patches/1.torrent"), "old");
    EXPECT_EQ(FilesIn(dir / "Patches"), std::vector<std::string>{"1.torrent"});
}

// A fetched file goes through the file creator: the process-wide file system looks at
// it again, so a packed copy no longer hides it, and a notifier on the folder hears
// its own name (the temporary file's name comes and goes before it).
TEST(FetchedFiles, TheFileSystemAndItsNotifierHearOfAFetchedFile) {
    TempDir dir;
    dir.WriteFile("root/Patches/.keep", "");
    const OldPackedFile packed(dir / "root/", "Patches/Launcher.torrent", "from the pack");
    ASSERT_TRUE(packed.Mounted());
    const RefPtr<NVFS::CWinVFS>& vfs = packed.Vfs();
    auto contents = [&vfs] {
        RefPtr<CDataStream> stream = vfs->OpenMapped("Patches/Launcher.torrent");
        return stream ? std::string(reinterpret_cast<const char*>(stream->Data()), stream->Size()) : "<none>";
    };
    ASSERT_EQ(contents(), "from the pack");
    RefPtr<NVFS::IFileNotifier> notifier = vfs->CreateNotifier(String((dir / "root/Patches").c_str()));

    NVFS::SetGlobalVFS(vfs.Get());
    const bool saved = WriteFetchedFile(Wide(dir / "root/Patches"), WideString(u"Launcher.torrent"), Bytes("fetched"));
    NVFS::SetGlobalVFS(nullptr);
    ASSERT_TRUE(saved);
    EXPECT_EQ(contents(), "fetched");

    bool heard = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!heard && std::chrono::steady_clock::now() < deadline) {
        StringVector names;
        if (notifier->FetchChanges(names)) {
            for (const String& name : names) heard = heard || name.Equals("/Launcher.torrent");
        }
        std::this_thread::yield();
    }
    EXPECT_TRUE(heard);
}
