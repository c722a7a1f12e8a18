#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <list>
#include <set>
#include <string>

#include "base/io/FileStream.h"
#include "base/io/FindFiles.h"
#include "base/vfs/WinVFS.h"
#include "support/TempDir.h"
#include "support/ZipBuilder.h"

namespace {

using NVFS::CWinVFS;

const std::uint8_t* Begin(const std::string& s) { return reinterpret_cast<const std::uint8_t*>(s.data()); }
const std::uint8_t* End(const std::string& s) { return Begin(s) + s.size(); }

std::string Contents(const RefPtr<CDataStream>& s) {
    return s ? std::string(reinterpret_cast<const char*>(s->Data()), s->Size()) : "<null>";
}

std::set<std::string> AsSet(const StringVector& list) {
    std::set<std::string> out;
    for (const String& s : list) out.insert(s.Std());
    return out;
}

void SetTime(const std::string& path, std::time_t seconds) {
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

std::string Pack(std::initializer_list<std::pair<std::string, std::string>> files, std::uint32_t dosTime,
                 std::uint16_t method = 0) {
    ZipBuilder zip;
    for (const auto& [name, data] : files) {
        ZipBuilder::Entry e;
        e.name = name;
        e.data = data;
        e.method = method;
        e.dosTime = dosTime;
        zip.Add(e);
    }
    return zip.Build();
}

struct VfsFixture : ::testing::Test {
    TempDir dir;
    String root;
    std::list<std::string> blocks;  // memory packs must outlive the file system
    RefPtr<CWinVFS> vfs;
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
        dir.WriteFile("Resources/.keep", "");
        root = String((dir / "Resources/").c_str());
        vfs = CWinVFS::Create(root, "", StringVector());
    }
    void Mount(const std::string& bytes, const char* name, std::uint32_t priority = 0) {
        const std::string& block = blocks.emplace_back(bytes);
        ASSERT_TRUE(vfs->MountPack(WideString(String(name)), priority, Begin(block), End(block)));
    }
    std::string Loose(const std::string& key, const std::string& data, std::time_t time) {
        dir.WriteFile("Resources/" + key, data);
        SetTime(dir / ("Resources/" + key), time);
        return data;
    }
};

constexpr std::uint32_t kDos2013 = (33u << 25) | (5u << 21) | (28u << 16);  // 2013-05-28 00:00
constexpr std::time_t k2012 = 1325376000;  // 2012-01-01 UTC
constexpr std::time_t k2014 = 1388534400;  // 2014-01-01 UTC

TEST_F(VfsFixture, PackPrioritiesAndTimes) {
    const std::string older = Pack({{"ui/a.htm", "old"}, {"ui/same.htm", "first"}}, kDos2013);
    const std::string newer = Pack({{"ui/a.htm", "new"}, {"ui/same.htm", "second"}}, kDos2013 + 1);
    const std::string tie = Pack({{"ui/same.htm", "tie"}}, kDos2013 + 1);
    const std::string preferred = Pack({{"ui/a.htm", "preferred"}, {"empty", ""}}, kDos2013 - 100);
    Mount(older, "older.pak");
    Mount(newer, "newer.pak");
    Mount(tie, "tie.pak");
    EXPECT_EQ(Contents(vfs->OpenMapped("ui/a.htm")), "new");
    EXPECT_EQ(Contents(vfs->OpenMapped("ui/same.htm")), "second");  // equal times: the first mounted wins
    Mount(preferred, "preferred.pak", 0x80000000u);
    EXPECT_EQ(Contents(vfs->OpenMapped("UI\\A.HTM")), "preferred");
    EXPECT_FALSE(vfs->Exists("empty"));  // zero-length entries are never visible
    EXPECT_FALSE(vfs->MountPack(WideString(String("junk")), 0, Begin(root.Std()), End(root.Std())));

    RefPtr<NVFS::IDataFileWrap> entry = vfs->GetEntry("ui/a.htm");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->IsPreferred(), 1u);
    WideString name;
    std::int32_t index = 0;
    EXPECT_TRUE(entry->GetPackName(name, index));
    EXPECT_EQ(String(name).Std(), "preferred.pak");
    EXPECT_EQ(index, 0);
    EXPECT_NE(entry->GetId(), 0u);
    EXPECT_EQ(vfs->FindArchive(WideString(String("tie.pak")))->GetEntryCount(), 1u);
    EXPECT_FALSE(vfs->FindArchive(WideString(String("TIE.pak"))));

    NVFS::FilePath direct;
    direct.archive = vfs->FindArchive(WideString(String("older.pak")));
    direct.index = 1;
    RefPtr<NVFS::IDataFileWrap> named = vfs->GetEntry(direct);
    ASSERT_TRUE(named);
    EXPECT_EQ(named->IsPreferred(), 1u);
    EXPECT_EQ(Contents(named->OpenMapped(direct)), "first");
}

TEST_F(VfsFixture, NewerLooseFilesOverridePriorityZeroEntries) {
    Mount(Pack({{"ui/page.htm", "packed"}, {"ui/kept.htm", "packed kept"}}, kDos2013), "ui.pak");
    Mount(Pack({{"ui/pref.htm", "preferred"}}, kDos2013), "p.pak", 0x80000000u);
    Loose("ui/page.htm", "loose", k2014);
    Loose("ui/kept.htm", "older loose", k2012);
    Loose("ui/pref.htm", "loose pref", k2014);
    Loose("Mixed/Case.TXT", "mixed", k2014);
    EXPECT_EQ(Contents(vfs->OpenMapped("ui/page.htm")), "loose");
    EXPECT_EQ(Contents(vfs->OpenMapped("ui/kept.htm")), "packed kept");
    EXPECT_EQ(Contents(vfs->OpenMapped("ui/pref.htm")), "preferred");
    EXPECT_EQ(Contents(vfs->OpenMapped("mixed\\case.txt")), "mixed");  // the letter case is resolved on disk
    EXPECT_EQ(Contents(vfs->OpenMapped("/Mixed/Case.TXT")), "mixed");
    EXPECT_EQ(vfs->GetEntry("ui/page.htm")->GetId(), 0u);

    // A change made after the first lookup is seen once the file system is told.
    Loose("ui/kept.htm", "newer loose", k2014);
    EXPECT_EQ(Contents(vfs->OpenMapped("ui/kept.htm")), "packed kept");
    vfs->MarkChanged(root + "ui/kept.htm");
    EXPECT_EQ(Contents(vfs->OpenMapped("ui/kept.htm")), "newer loose");

    NVFS::FileStat stat;
    ASSERT_TRUE(vfs->Stat(&stat, "ui/page.htm"));
    EXPECT_EQ(stat.size, 5u);
    EXPECT_EQ(stat.modified >> 16, (34u << 9) | (1u << 5) | 1u);
    ASSERT_TRUE(vfs->Stat(&stat, "ui/pref.htm"));
    EXPECT_EQ(stat.modified, kDos2013);
    EXPECT_FALSE(vfs->Stat(&stat, "missing"));
}

TEST_F(VfsFixture, InsideOutsideAndClimbingKeys) {
    struct Case { const char* path; const char* root; const char* relative; bool inside; };
    const Case cases[] = {
        {"C:/x/y.txt", "Resources/", "C:/x/y.txt", false}, {"/Launcher/res/a.js", "Resources/", "Launcher/res/a.js", true},
        {"resources\\a\\b", "Resources/", "a/b", true},     {"a\\b", "", "a/b", false},
    };
    for (const Case& c : cases) {
        const NVFS::RelativePath r = NVFS::MakeRelative(c.path, c.root);
        EXPECT_EQ(r.path.Std(), c.relative) << c.path;
        EXPECT_EQ(r.inside, c.inside) << c.path;
    }
    dir.WriteFile("secret.txt", "outside the root");
    EXPECT_FALSE(vfs->Exists("../secret.txt"));
    EXPECT_FALSE(vfs->OpenMapped("ui/../../secret.txt"));
    EXPECT_FALSE(vfs->ExtractToTemp("../secret.txt"));
    Mount(Pack({{"../escape.txt", "x"}, {"fine.txt", "y"}}, kDos2013), "evil.pak");
    StringVector all;
    vfs->ListFiles(all, "", "*", true, 0);
    EXPECT_EQ(AsSet(all).count("../escape.txt"), 0u);

    // Outside paths are opened directly.
    // A POSIX absolute path outside the root counts as root-relative, so it is not found.
    EXPECT_EQ(Contents(vfs->OpenMapped(String((dir / "secret.txt").c_str()))), "<null>");
    RefPtr<CWinVFS> rootless = CWinVFS::Create("", "", StringVector());
    EXPECT_EQ(Contents(rootless->OpenMapped(String((dir / "secret.txt").c_str()))), "outside the root");
    EXPECT_TRUE(rootless->Exists(String((dir / "secret.txt").c_str())));

    RefPtr<CFileStream> stream(new CFileStream(rootless.Get(), NVFS::FilePath(String((dir / "secret.txt").c_str()))));
    EXPECT_EQ(stream->Size(), 16u);
    RefPtr<CFileStream> missing(new CFileStream(vfs.Get(), NVFS::FilePath("nothing")));
    EXPECT_TRUE(missing->HasError());
    EXPECT_FALSE(missing->IsReadable());
}

TEST(VfsRoot, RootPatternsAndPackScan) {
    TempDir dir;
    dir.WriteFile("data/packs/a.pak", Pack({{"x.txt", "from a"}}, kDos2013));
    dir.WriteFile("data/packs/b.zip", Pack({{"x.txt", "from zip"}}, kDos2013 + 5));
    dir.WriteFile("data/mods/addons/p.pak", Pack({{"x.txt", "preferred"}}, kDos2013 - 5));
    struct Case { std::string pattern; std::string root; };
    const Case cases[] = {{dir / "data/", dir / "data/"}, {dir / "data/*.zip", dir / "data/"}, {"data", ""}};
    for (const Case& c : cases) {
        RefPtr<CWinVFS> vfs = CWinVFS::Create(c.pattern.c_str(), "", StringVector());
        String root;
        vfs->GetRoot(root);
        EXPECT_EQ(root.Std(), c.root) << c.pattern;
    }
    RefPtr<CWinVFS> paks = CWinVFS::Create((dir / "data/").c_str(), "", StringVector());
    EXPECT_EQ(Contents(paks->OpenMapped("x.txt")), "from a");
    RefPtr<CWinVFS> zips = CWinVFS::Create((dir / "data/*.zip").c_str(), "", StringVector());
    EXPECT_EQ(Contents(zips->OpenMapped("x.txt")), "from zip");
    StringVector preferred;
    preferred.PushBack("mods/addons/p.pak");
    RefPtr<CWinVFS> pref = CWinVFS::Create((dir / "data/").c_str(), "", preferred);
    EXPECT_EQ(Contents(pref->OpenMapped("x.txt")), "preferred");
    EXPECT_TRUE(pref->FindArchive(WideString(String((dir / "data/packs/a.pak").c_str()))));
}

TEST_F(VfsFixture, Listings) {
    Mount(Pack({{"data/a.txt", "1"}, {"data/sub/b.txt", "2"}, {"data/sub/deep/c.htm", "3"}, {"top.txt", "4"},
                {"data.txt", "5"}, {"other/d.txt", "6"}},
               kDos2013),
          "list.pak");
    Loose("data/loose.htm", "7", k2014);
    Loose("Looseroot.txt", "8", k2014);
    dir.WriteFile("Resources/emptydir/.hidden", "");
    StringVector out;
    vfs->ListFiles(out, "data", "*.*", false, 0);
    EXPECT_EQ(AsSet(out), (std::set<std::string>{"data/a.txt", "data/loose.htm"}));
    vfs->ListFiles(out, "data/", "*.txt", true, 0);
    EXPECT_EQ(AsSet(out), (std::set<std::string>{"data/a.txt", "data/sub/b.txt"}));
    vfs->ListFiles(out, "", "*.*", false, 0);
    EXPECT_EQ(AsSet(out), (std::set<std::string>{"top.txt", "data.txt", "Looseroot.txt"}));
    vfs->ListFiles(out, "", "*.htm", true, 0);
    EXPECT_EQ(AsSet(out), (std::set<std::string>{"data/sub/deep/c.htm", "data/loose.htm"}));
    vfs->ListFiles(out, "data", "*", false, k2014 + 10);
    EXPECT_EQ(AsSet(out), (std::set<std::string>{"data/a.txt", "data/loose.htm"}));  // known keys stay listed

    vfs->ListDirectories(out, "data");
    EXPECT_EQ(AsSet(out), (std::set<std::string>{"data/sub"}));
    vfs->ListDirectories(out, "");
    EXPECT_EQ(AsSet(out), (std::set<std::string>{"data", "other", "emptydir"}));
}

TEST_F(VfsFixture, ExtractingEntries) {
    TempDir temp;
    setenv("TMPDIR", temp.Path().c_str(), 1);
    ZipBuilder zip;
    zip.Add("good.bin", std::string(3000, 'g'), 8).Add("bad.bin", std::string(3000, 'b'), 8);
    std::string bytes = zip.Build();
    bytes[zip.LastLayout().localHeaders[1] + 30 + 7 + 2] ^= 0x55;  // damage the second entry's data
    Mount(bytes, "x.pak");
    {
        RefPtr<NVFS::ILockedFile> good = vfs->ExtractToTemp("good.bin");
        ASSERT_TRUE(good);
        const std::string path = good->GetPath().Std();
        EXPECT_EQ(path.substr(0, temp.Path().size() + 3), temp.Path() + "gam");
        EXPECT_EQ(temp.ReadFile(path.substr(temp.Path().size())), std::string(3000, 'g'));
        EXPECT_FALSE(vfs->ExtractToTemp("bad.bin"));
    }
    std::size_t left = 0;
    for (FindFiles find(String((temp.Path() + "*").c_str())); find.IsValid(); find.Next()) ++left;
    EXPECT_EQ(left, 0u);  // the copy went with its holder, and the failed one left nothing

    Loose("loose.txt", "l", k2014);
    RefPtr<NVFS::ILockedFile> loose = vfs->ExtractToTemp("loose.txt");
    ASSERT_TRUE(loose);
    EXPECT_EQ(loose->GetPath().Std(), dir / "Resources/loose.txt");
    unsetenv("TMPDIR");
}

// Sparse loose files past 2 and 4 GiB: the sizes seen through the file system and the streams are exact.
TEST_F(VfsFixture, LooseFilesPast32BitSizes) {
    for (const std::uint64_t size : {(2ull << 30) + 5, (4ull << 30) + 3}) {
        SCOPED_TRACE(size);
        Loose("big/file.bin", "", k2014);
        const std::string full = dir / "Resources/big/file.bin";
        ASSERT_EQ(::truncate(full.c_str(), static_cast<off_t>(size)), 0);
        NVFS::FileStat stat;
        ASSERT_TRUE(vfs->Stat(&stat, "big/file.bin"));
        EXPECT_EQ(stat.size, size);
        StringVector out;
        vfs->ListFiles(out, "big", "*", false, 0);
        EXPECT_EQ(AsSet(out), (std::set<std::string>{"big/file.bin"}));
        RefPtr<CFileStream> throughVfs(new CFileStream(vfs.Get(), NVFS::FilePath("big/file.bin")));
        EXPECT_FALSE(throughVfs->HasError());
        EXPECT_EQ(throughVfs->Size(), size);
        RefPtr<CFileStream> direct(new CFileStream(String(full.c_str()), false));
        EXPECT_EQ(direct->Size(), size);
        EXPECT_EQ(direct->Data()[size - 1], 0);  // the last byte of the hole is mapped
    }
}

TEST_F(VfsFixture, RevisionAndGlobal) {
    Mount(Pack({{"revision", "0x1F"}, {"file", "f"}}, kDos2013), "rev.pak");
    std::int32_t revision = 0;
    EXPECT_TRUE(vfs->GetPackRevision("file", revision));
    EXPECT_EQ(revision, 31);
    Loose("loose", "l", k2014);
    vfs->OpenMapped("loose");
    EXPECT_FALSE(vfs->GetPackRevision("loose", revision));

    NVFS::SetGlobalVFS(vfs.Get());
    EXPECT_EQ(NVFS::GetGlobalVFS().Get(), vfs.Get());
    NVFS::SetGlobalVFS(nullptr);
    EXPECT_FALSE(NVFS::GetGlobalVFS());
}

}  // namespace
