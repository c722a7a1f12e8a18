#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <string>
#include <thread>

#include "base/io/InflateReader.h"
#include "base/vfs/FileCreator.h"
#include "base/vfs/FileNotifier.h"
#include "base/vfs/WinVFS.h"
#include "support/OldPackedFile.h"
#include "support/TempDir.h"

namespace {

using NVFS::CWinFileCreator;

std::string Contents(const RefPtr<CDataStream>& s) {
    return s ? std::string(reinterpret_cast<const char*>(s->Data()), s->Size()) : "<null>";
}

TEST(FileCreator, CreatesMovesDeletesAndTellsTheFileSystem) {
    TempDir dir;
    dir.WriteFile("root/.keep", "");
    const String root((dir / "root/").c_str());
    const OldPackedFile packed(dir / "root/", "a/b/c.bin", "from the pack");
    ASSERT_TRUE(packed.Mounted());
    const RefPtr<NVFS::CWinVFS>& vfs = packed.Vfs();
    EXPECT_EQ(Contents(vfs->OpenMapped("a/b/c.bin")), "from the pack");
    NVFS::SetGlobalVFS(vfs.Get());
    RefPtr<CWinFileCreator> creator = CWinFileCreator::Create(root);
    NVFS::SetGlobalVFS(nullptr);

    {
        RefPtr<CDataStream> out = creator->CreateMapped("a/b/c.bin");  // "a" is missing
        ASSERT_TRUE(out);
        ASSERT_TRUE(out->Write("written", 7));
        out->Flush();
    }
    EXPECT_EQ(dir.ReadFile("root/a/b/c.bin"), "written");
    EXPECT_EQ(Contents(vfs->OpenMapped("a/b/c.bin")), "written");  // tested again after the change
    ASSERT_TRUE(creator->WriteWhole("a/b/c.bin", "whole", 5));
    EXPECT_EQ(Contents(vfs->OpenMapped("a/b/c.bin")), "whole");

    dir.WriteFile("root/target", "old target");
    dir.WriteFile("root/source", "moved");
    EXPECT_TRUE(creator->Move("source", "target"));
    EXPECT_EQ(dir.ReadFile("root/target"), "moved");
    EXPECT_FALSE(dir.Exists("root/source"));
    EXPECT_FALSE(creator->Move("source", "target"));
    EXPECT_TRUE(creator->Delete("target"));
    EXPECT_FALSE(creator->Delete("target"));

    String resolved;
    creator->ResolvePath(resolved, "x\\y");
    EXPECT_EQ(resolved.Std(), dir / "root/x/y");
    creator->ResolvePath(resolved, "C:\\x\\y");
    EXPECT_EQ(resolved.Std(), "C:/x/y");
}

TEST(FileCreator, CompressedFilesAndFailures) {
    TempDir dir;
    RefPtr<CWinFileCreator> creator = CWinFileCreator::Create((dir / "root/").c_str());
    {
        RefPtr<IFileWriter> packer = creator->CreateCompressed("z/data.z");
        ASSERT_TRUE(packer);
        ASSERT_TRUE(packer->Write("compressed text", 15));
    }
    RefPtr<IFileReader> back = ZipReader<MappedStream>::CreateFromFile((dir / "root/z/data.z").c_str());
    char out[15];
    EXPECT_EQ(back->Read(out, 15), 15u);
    EXPECT_EQ(std::string(out, 15), "compressed text");

    dir.WriteFile("root/blocker", "a file where a folder should be");
    EXPECT_FALSE(creator->CreateCompressed("blocker/x.z"));
    EXPECT_FALSE(creator->CreateMapped("blocker/x.bin"));
    EXPECT_FALSE(creator->WriteWhole("blocker/x.bin", "x", 1));
}

// Polls until the notifier reports what the test waits for, at most ten seconds.
std::set<std::string> WaitForChanges(NVFS::IFileNotifier* notifier, const std::set<std::string>& wanted) {
    std::set<std::string> seen;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        StringVector names;
        if (notifier->FetchChanges(names)) {
            for (const String& n : names) seen.insert(n.Std());
        }
        bool all = true;
        for (const std::string& w : wanted) all = all && seen.count(w);
        if (all) break;
        std::this_thread::yield();
    }
    return seen;
}

TEST(FileNotifier, ReportsChangesInTheTreeAndStops) {
    TempDir dir;
    dir.WriteFile("watched/sub/old.txt", "old");
    RefPtr<NVFS::FileNotifier> notifier(new NVFS::FileNotifier((dir / "watched").c_str()));
    ASSERT_TRUE(notifier->IsWatching());
    EXPECT_EQ(notifier->GetFolder().Std(), dir / "watched");
    EXPECT_FALSE(notifier->TestAndClear());

    // A batch replaces the names of the previous one, so each change is awaited alone.
    dir.WriteFile("watched/new.txt", "1");
    EXPECT_TRUE(WaitForChanges(notifier.Get(), {"/new.txt"}).count("/new.txt"));
    dir.WriteFile("watched/sub/old.txt", "changed");
    EXPECT_TRUE(WaitForChanges(notifier.Get(), {"/sub/old.txt"}).count("/sub/old.txt"));

    // A folder created later is watched as well (its first events may come before the watch).
    dir.WriteFile("watched/later/.keep", "");
    bool seenInLater = false;
    for (int attempt = 0; attempt < 20 && !seenInLater; ++attempt) {
        dir.WriteFile("watched/later/x.txt", std::to_string(attempt));
        seenInLater = WaitForChanges(notifier.Get(), {"/later/x.txt"}).count("/later/x.txt") > 0;
    }
    EXPECT_TRUE(seenInLater);

    // One write gives several events for the same name (create, modify, close): each
    // batch lists the name once.
    while (notifier->TestAndClear()) {}
    dir.WriteFile("watched/dup.txt", "x");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    StringVector names;
    while (names.Empty() && std::chrono::steady_clock::now() < deadline) {
        notifier->FetchChanges(names);
        std::this_thread::yield();
    }
    std::set<std::string> unique;
    for (const String& n : names) EXPECT_TRUE(unique.insert(n.Std()).second) << n.Std();
    EXPECT_FALSE(names.Empty());

    notifier = nullptr;  // the destructor stops and joins the thread
    RefPtr<NVFS::FileNotifier> none(new NVFS::FileNotifier((dir / "missing").c_str()));
    EXPECT_FALSE(none->IsWatching());
    StringVector empty;
    EXPECT_FALSE(none->FetchChanges(empty));
}

}  // namespace
