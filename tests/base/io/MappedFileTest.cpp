#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>

#include <string>

#include "base/io/MemoryMappedFile.h"
#include "support/TempDir.h"

namespace {

TEST(MappedFile, WritableGrowsByRemapAndIsCutAtClose) {
    TempDir dir;
    const String path((dir / "out.bin").c_str());
    RefPtr<CMemoryMappedFile> file(new CMemoryMappedFile(path, FileSource::Write));
    ASSERT_TRUE(file->IsWritable());
    ASSERT_TRUE(file->Write(std::string(5000, 'a').data(), 5000));
    EXPECT_EQ(dir.FileSize("out.bin"), 8192);
    ASSERT_TRUE(file->SetCursor(3000));
    ASSERT_TRUE(file->Write("BBBB", 4));
    file->Flush();
    EXPECT_TRUE(file->Finish());
    std::string expected(5000, 'a');
    expected.replace(3000, 4, "BBBB");
    EXPECT_EQ(dir.ReadFile("out.bin"), expected);
}

TEST(MappedFile, OpeningForWritingTouchesTheFile) {
    TempDir dir;
    dir.WriteFile("f", "content");
    const std::string full = dir / "f";
    const timeval old[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimes(full.c_str(), old), 0);
    RefPtr<CMemoryMappedFile> file(new CMemoryMappedFile(String(full.c_str()), FileSource::Write));
    file = nullptr;
    struct stat info {};
    ASSERT_EQ(::stat(full.c_str(), &info), 0);
    EXPECT_GT(info.st_mtime, 1000000000);
    EXPECT_EQ(dir.ReadFile("f"), "content");  // data ends at the capacity: nothing is cut
}

TEST(MappedFile, ReadOnlyOpens) {
    TempDir dir;
    dir.WriteFile("empty", "");
    dir.WriteFile("data", "0123456789");
    RefPtr<CMemoryMappedFile> empty(new CMemoryMappedFile(String((dir / "empty").c_str()), FileSource::Read));
    EXPECT_TRUE(empty->IsReadable());
    EXPECT_FALSE(empty->HasError());
    char c;
    EXPECT_EQ(empty->Read(&c, 1), 0u);
    EXPECT_TRUE(empty->HasError());

    RefPtr<CMemoryMappedFile> missing(new CMemoryMappedFile(String((dir / "none").c_str()), FileSource::Read));
    EXPECT_FALSE(missing->IsReadable());
    EXPECT_TRUE(missing->HasError());

    // A small read-only file is a private copy: cutting the file under it cannot fault.
    RefPtr<CMemoryMappedFile> data(new CMemoryMappedFile(String((dir / "data").c_str()), FileSource::Read));
    ASSERT_EQ(::truncate((dir / "data").c_str(), 0), 0);
    char buffer[10];
    EXPECT_EQ(data->Read(buffer, 10), 10u);
    EXPECT_EQ(std::string(buffer, 10), "0123456789");
    EXPECT_FALSE(data->Write("x", 1));
}

TEST(MappedFile, FragmentsAlignAndCheckTheirRange) {
    TempDir dir;
    std::string bytes(200000, 0);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
    dir.WriteFile("archive", bytes);
    RefPtr<FileSource> source(new FileSource(String((dir / "archive").c_str()), FileSource::Read));
    ASSERT_TRUE(source->IsOpen());
    for (bool mapped : {true, false}) {
        if (mapped) source->CreateMapping(); else source->CloseMapping();
        RefPtr<CMemoryMappedFileFragment> f(new CMemoryMappedFileFragment(source.Get(), 70000, 100));
        ASSERT_FALSE(f->HasError());
        if (mapped) EXPECT_EQ(f->ViewOffset(), 65536u);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(f->Data()), 100), bytes.substr(70000, 100));
        EXPECT_FALSE(f->Write("x", 1));
    }
    RefPtr<CMemoryMappedFileFragment> zero(new CMemoryMappedFileFragment(source.Get(), 5, 0));
    EXPECT_FALSE(zero->HasError());
    EXPECT_EQ(zero->Data(), nullptr);
    for (std::uint64_t offset : {199990ull, 200001ull, ~0ull - 5}) {
        RefPtr<CMemoryMappedFileFragment> out(new CMemoryMappedFileFragment(source.Get(), offset, 20));
        EXPECT_TRUE(out->HasError()) << offset;
        EXPECT_EQ(out->Data(), nullptr);
    }
    const std::string block = "memory block";
    RefPtr<FileSource> memory(new FileSource(reinterpret_cast<const std::uint8_t*>(block.data()),
                                             reinterpret_cast<const std::uint8_t*>(block.data() + block.size())));
    RefPtr<CMemoryMappedFileFragment> m(new CMemoryMappedFileFragment(memory.Get(), 7, 5));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(m->Data()), 5), "block");
    RefPtr<CMemoryMappedFileFragment> past(new CMemoryMappedFileFragment(memory.Get(), 7, 6));
    EXPECT_TRUE(past->HasError());
}

}  // namespace
