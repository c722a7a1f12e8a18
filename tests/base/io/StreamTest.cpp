#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/io/FileStream.h"
#include "base/io/FindFiles.h"
#include "base/io/MemoryStream.h"
#include "support/TempDir.h"

namespace {

TEST(MemoryStream, GrowthTable) {
    RefPtr<CMemoryStream> s(new CMemoryStream);
    EXPECT_EQ(s->Capacity(), 32u);
    EXPECT_EQ(s->Size(), 0u);
    const std::string bytes(33, 'x');
    ASSERT_TRUE(s->Write(bytes.data(), bytes.size()));
    EXPECT_EQ(s->Capacity(), 4096u);

    struct Case { std::size_t size; std::size_t cursor; std::size_t capacity; };
    const Case cases[] = {{3000, 5000, 8192}, {3000, 3000000, 4046848}, {0, 4097, 8192}};
    for (const Case& c : cases) {
        RefPtr<CMemoryStream> m(new CMemoryStream);
        ASSERT_TRUE(m->SetSize(c.size));
        ASSERT_TRUE(m->SetCursor(c.cursor));
        EXPECT_EQ(m->Capacity(), c.capacity) << c.cursor;
        EXPECT_EQ(m->Size(), c.cursor);
        EXPECT_EQ(m->Capacity() % 4096, 0u);
    }
}

TEST(MemoryStream, ShortReadZeroFillsAndSticks) {
    RefPtr<CMemoryStream> s(new CMemoryStream);
    ASSERT_TRUE(s->Write("abcdefgh", 8));
    ASSERT_TRUE(s->SetCursor(4));
    char exact[4];
    EXPECT_EQ(s->Read(exact, 0), 0u);
    ASSERT_TRUE(s->SetCursor(4));
    char buffer[10];
    std::memset(buffer, '?', sizeof buffer);
    EXPECT_EQ(s->Read(buffer, 10), 4u);
    EXPECT_EQ(std::string(buffer, 10), std::string("efgh\0\0\0\0\0\0", 10));
    EXPECT_TRUE(s->HasError());
    EXPECT_EQ(s->Read(buffer, 1), 0u);
    EXPECT_EQ(buffer[0], 0);

    // The error survives further writes; Allocate makes the stream usable again.
    s->Write("x", 1);
    EXPECT_TRUE(s->HasError());
    ASSERT_TRUE(s->Allocate(3));
    EXPECT_FALSE(s->HasError());
    EXPECT_EQ(s->Size(), 3u);

    RefPtr<CMemoryStream> t(new CMemoryStream);
    t->Write("abcd", 4);
    t->Rewind();
    EXPECT_EQ(t->Read(exact, 4), 4u);
    EXPECT_FALSE(t->HasError());
}

TEST(MemoryStream, SetSizeCutsAndZeroExtends) {
    RefPtr<CMemoryStream> s(new CMemoryStream);
    std::string junk(3000, 'j');
    s->Write(junk.data(), junk.size());
    ASSERT_TRUE(s->SetSize(0));
    EXPECT_EQ(s->Size(), 0u);
    EXPECT_EQ(s->Position(), 0u);
    ASSERT_TRUE(s->SetSize(2000));  // fits in the old buffer, which still holds 'j's
    EXPECT_EQ(s->Position(), 0u);
    for (std::size_t i = 0; i < 2000; ++i) ASSERT_EQ(s->Data()[i], 0) << i;
    ASSERT_TRUE(s->SetCursor(1500));
    ASSERT_TRUE(s->SetSize(100000));
    EXPECT_EQ(s->Position(), 1500u);
    EXPECT_EQ(s->Data()[99999], 0);
}

TEST(MemoryStream, OversizedRequestsFailCleanly) {
    RefPtr<CMemoryStream> s(new CMemoryStream);
    s->Write("abc", 3);
    EXPECT_FALSE(s->Write("x", SIZE_MAX));  // cursor + length would wrap
    EXPECT_TRUE(s->HasError());

    RefPtr<CMemoryStream> t(new CMemoryStream);
    EXPECT_FALSE(t->SetCursor(SIZE_MAX - 2));
    EXPECT_TRUE(t->HasError());
    EXPECT_FALSE(t->Allocate(SIZE_MAX / 2));
    EXPECT_TRUE(t->HasError());
    EXPECT_EQ(t->Data(), nullptr);
    EXPECT_EQ(t->Size(), 0u);
}

TEST(FileStream, WriteReplacesOnlyWhenComplete) {
    TempDir dir;
    dir.WriteFile("old.bin", std::string(10000, 'o'));
    {
        RefPtr<CFileStream> s(new CFileStream(String((dir / "old.bin").c_str()), true));
        ASSERT_TRUE(s->Write(std::string(100, 'n').data(), 100));
        EXPECT_EQ(dir.ReadFile("old.bin"), std::string(10000, 'o'));  // untouched until the end
    }
    EXPECT_EQ(dir.ReadFile("old.bin"), std::string(100, 'n'));

    // New file in missing folders: 8,192 bytes while open (as the temporary file), 5,000 after.
    {
        RefPtr<CFileStream> s(new CFileStream(String((dir / "a/b/new.bin").c_str()), true));
        ASSERT_TRUE(s->Write(std::string(5000, 'w').data(), 5000));
        EXPECT_EQ(s->Capacity(), 8192u);
        EXPECT_FALSE(dir.Exists("a/b/new.bin"));
        EXPECT_TRUE(s->Close());
    }
    EXPECT_EQ(dir.FileSize("a/b/new.bin"), 5000);

    // A stream that failed leaves the old file and no temporary file behind.
    {
        RefPtr<CFileStream> s(new CFileStream(String((dir / "old.bin").c_str()), true));
        s->Write("partial", 7);
        s->SetError();
        EXPECT_FALSE(s->Close());
    }
    EXPECT_EQ(dir.ReadFile("old.bin"), std::string(100, 'n'));
    std::size_t entries = 0;
    for (FindFiles find((dir / "*").c_str()); find.IsValid(); find.Next()) ++entries;
    EXPECT_EQ(entries, 2u);  // old.bin and a/: no temporary file is left
    EXPECT_EQ(dir.ReadFile("a/b/new.bin"), std::string(5000, 'w'));
}

TEST(FileStream, ReadModeAndFailures) {
    TempDir dir;
    dir.WriteFile("data.txt", "hello");
    dir.WriteFile("empty", "");
    RefPtr<CFileStream> s(new CFileStream(String((dir / "data.txt").c_str()), false));
    ASSERT_TRUE(s->IsReadable());
    char buffer[5];
    EXPECT_EQ(s->Read(buffer, 5), 5u);
    EXPECT_EQ(std::string(buffer, 5), "hello");
    EXPECT_FALSE(s->Write("x", 1));  // read-only: never a store into the view
    s->Rewind();
    EXPECT_FALSE(s->SetSize(1));

    RefPtr<CFileStream> wide(new CFileStream(WideString(String((dir / "data.txt").c_str())), false));
    EXPECT_EQ(wide->Size(), 5u);

    RefPtr<CFileStream> empty(new CFileStream(String((dir / "empty").c_str()), false));
    EXPECT_TRUE(empty->IsReadable());
    EXPECT_FALSE(empty->HasError());
    EXPECT_EQ(empty->Read(buffer, 1), 0u);
    EXPECT_TRUE(empty->HasError());

    for (const std::string& bad : {dir / "missing", dir.Path()}) {
        RefPtr<CFileStream> m(new CFileStream(String(bad.c_str()), false));
        EXPECT_FALSE(m->IsReadable()) << bad;
        EXPECT_TRUE(m->HasError());
        EXPECT_FALSE(m->Write("x", 1));
    }
    RefPtr<CFileStream> unwritable(new CFileStream(String((dir / "data.txt/sub/x").c_str()), true));
    EXPECT_TRUE(unwritable->HasError());
    EXPECT_FALSE(unwritable->Write("x", 1));
}

}  // namespace
