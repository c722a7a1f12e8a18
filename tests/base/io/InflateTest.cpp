#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/io/BinaryArchive.h"
#include "base/io/InflateReader.h"
#include "base/io/MemoryStream.h"
#include "base/io/RawReader.h"
#include "base/io/ZipPacker.h"
#include "support/TempDir.h"
#include "support/ZipBuilder.h"

namespace {

std::string Pattern(std::size_t n) {
    std::string s(n, 0);
    unsigned x = 12345;
    for (auto& c : s) c = static_cast<char>("abcdefgh"[(x = x * 1103515245 + 12345) >> 29]);
    return s;
}

RefPtr<FileSource> Memory(const std::string& bytes) {
    const auto* begin = reinterpret_cast<const std::uint8_t*>(bytes.data());
    return RefPtr<FileSource>(new FileSource(begin, begin + bytes.size()));
}

std::string ReadAll(IFileReader* reader, std::uint32_t step = 777) {
    std::string out;
    std::vector<char> buffer(step);
    while (std::uint32_t got = reader->Read(buffer.data(), step)) out.append(buffer.data(), got);
    return out;
}

RefPtr<IFileReader> RawInflater(const std::string& bytes, std::uint64_t compressedSize, bool raw = true) {
    RefPtr<FileSource> source = Memory(bytes);
    RefPtr<MappedStream> window(new MappedStream(source.Get()));
    return RefPtr<IFileReader>(new ZipReader<MappedStream>(window.Get(), 0, compressedSize, raw));
}

TEST(Inflate, RoundTripsSkipsAndEnds) {
    const std::string data = Pattern(100000);
    const std::string packed = DeflateRaw(data);
    RefPtr<IFileReader> reader = RawInflater(packed, packed.size());
    ASSERT_TRUE(reader->IsReadable());
    char head[10];
    EXPECT_EQ(reader->Read(head, 10), 10u);
    EXPECT_EQ(reader->Read(nullptr, 5000), 5000u);  // skipped
    std::string rest = ReadAll(reader.Get());
    EXPECT_EQ(std::string(head, 10) + rest, data.substr(0, 10) + data.substr(5010));
    EXPECT_EQ(reader->Read(head, 1), 0u);
    EXPECT_TRUE(reader->IsReadable());  // the end of the stream is not damage

    // zlib-wrapped input from memory.
    RefPtr<CMemoryStream> memory(new CMemoryStream);
    const std::string wrapped = DeflateZlib(data);
    memory->Write(wrapped.data(), wrapped.size());
    RefPtr<IFileReader> fromMemory = ZipReader<ZipMemoryStream>::Create(memory.Get());
    EXPECT_EQ(ReadAll(fromMemory.Get(), 65536), data);
}

TEST(Inflate, KeepsGoingOverBlocksThatProduceNothing) {
    // Thousands of empty stored blocks before the data: many input chunks give no output.
    std::string packed;
    for (int i = 0; i < 3000; ++i) packed += std::string("\x00\x00\x00\xFF\xFF", 5);
    packed += DeflateRaw("payload");
    RefPtr<IFileReader> reader = RawInflater(packed, packed.size());
    char out[7];
    EXPECT_EQ(reader->Read(out, 7), 7u);
    EXPECT_EQ(std::string(out, 7), "payload");
}

TEST(Inflate, DamageIsAnErrorAtEveryCut) {
    const std::string data = Pattern(20000);
    const std::string packed = DeflateRaw(data);
    for (std::size_t cut = 0; cut < packed.size(); cut += 97) {
        const std::string prefix = packed.substr(0, cut);  // the source reads it in place
        RefPtr<IFileReader> reader = RawInflater(prefix, cut);
        std::string out(data.size(), 'X');
        std::uint32_t total = 0;
        while (std::uint32_t got = reader->Read(out.data() + total, 1000)) total += got;
        EXPECT_LT(total, data.size()) << cut;
        EXPECT_FALSE(reader->IsReadable()) << cut;
        EXPECT_EQ(out.substr(0, total), data.substr(0, total));
    }
    std::string corrupt = packed;
    for (std::size_t i = 10; i < corrupt.size(); i += 50) corrupt[i] = static_cast<char>(corrupt[i] ^ 0x5A);
    RefPtr<IFileReader> bad = RawInflater(corrupt, corrupt.size());
    ReadAll(bad.Get());
    EXPECT_FALSE(bad->IsReadable());
    EXPECT_EQ(bad->Read(corrupt.data(), 10), 0u);

    // A zlib header where raw data is expected and the other way round.
    const std::string zlib = DeflateZlib(data);
    EXPECT_EQ(ReadAll(RawInflater(zlib, 1 << 20, false).Get()), data);
    RefPtr<IFileReader> mismatch = RawInflater(packed, 1 << 20, false);
    EXPECT_EQ(ReadAll(mismatch.Get()), "");
    EXPECT_FALSE(mismatch->IsReadable());
}

TEST(Inflate, RangesAreClampedToTheFile) {
    const std::string packed = DeflateRaw("abc");
    RefPtr<FileSource> source = Memory(packed);
    RefPtr<MappedStream> window(new MappedStream(source.Get()));
    RefPtr<IFileReader> past(new ZipReader<MappedStream>(window.Get(), packed.size() + 10, 100, true));
    EXPECT_FALSE(past->IsReadable());
    char out[3];
    EXPECT_EQ(past->Read(out, 3), 0u);
    RefPtr<IFileReader> long_(new ZipReader<MappedStream>(window.Get(), 0, ~0ull, true));
    EXPECT_EQ(long_->Read(out, 3), 3u);
}

TEST(Window, MovesInAlignedViewsOfAtMostOneMebibyte) {
    TempDir dir;
    const std::string data = Pattern(200000);
    dir.WriteFile("f", data);
    RefPtr<FileSource> source(new FileSource(String((dir / "f").c_str()), FileSource::Read));
    RefPtr<MappedStream> window(new MappedStream(source.Get()));
    struct Step { std::uint64_t position, start, end; };
    const Step steps[] = {{70000, 65536, 200000}, {100000, 65536, 200000}, {199000, 196608, 200000}, {10, 0, 200000}};
    for (const Step& s : steps) {
        window->SetPosition(s.position);
        EXPECT_EQ(window->ViewStart(), s.start) << s.position;
        EXPECT_EQ(window->ViewEnd(), s.end) << s.position;
        EXPECT_EQ(*window->Current(), static_cast<std::uint8_t>(data[s.position]));
    }
    window->SetPosition(200000);
    EXPECT_FALSE(window->HasView());

    RefPtr<RawReader<MappedStream>> raw(new RawReader<MappedStream>(window.Get(), 1000, 500));
    std::string out(2000, 0);
    raw->Seek(500);  // outside the range: ignored
    EXPECT_EQ(raw->Read(out.data(), 2000), 500u);
    EXPECT_EQ(out.substr(0, 500), data.substr(1000, 500));
    raw->Seek(499);
    EXPECT_EQ(raw->Read(out.data(), 10), 1u);

    RefPtr<IRawFileReader> whole = RawReader<MappedStream>::CreateFromFile(String((dir / "f").c_str()));
    EXPECT_EQ(whole->Size(), 200000u);
    RefPtr<IRawFileReader> missing = RawReader<MappedStream>::CreateFromFile(String((dir / "none").c_str()));
    EXPECT_FALSE(missing->IsReadable());
}

TEST(Packer, CompressesFullBlocksAndFinishesTheStream) {
    TempDir dir;
    const std::string data = Pattern(200000);
    {
        RefPtr<ZipPacker> packer = ZipPacker::Create(String((dir / "out.z").c_str()));
        ASSERT_TRUE(packer);
        ASSERT_TRUE(packer->Write(data.data(), data.size()));
        EXPECT_EQ(packer->Buffered(), 3392u);
    }
    RefPtr<IFileReader> back = ZipReader<MappedStream>::CreateFromFile(String((dir / "out.z").c_str()));
    EXPECT_EQ(ReadAll(back.Get(), 4096), data);
    EXPECT_FALSE(ZipPacker::Create(String((dir / "missing/out.z").c_str())));
    RefPtr<IFileReader> none = ZipReader<MappedStream>::CreateFromFile(String((dir / "missing.z").c_str()));
    EXPECT_FALSE(none->IsReadable());
}

}  // namespace
