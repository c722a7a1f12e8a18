#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "base/io/InflateReader.h"
#include "base/io/ZipArchive.h"
#include "support/TempDir.h"
#include "support/ZipBuilder.h"

namespace {

const std::uint8_t* Begin(const std::string& s) { return reinterpret_cast<const std::uint8_t*>(s.data()); }
const std::uint8_t* End(const std::string& s) { return Begin(s) + s.size(); }

RefPtr<NVFS::ZipArchive> FromMemory(const std::string& bytes) {
    return RefPtr<NVFS::ZipArchive>(new NVFS::ZipArchive(String("memory"), Begin(bytes), End(bytes)));
}

std::string Contents(CDataStream* stream) {
    return stream ? std::string(reinterpret_cast<const char*>(stream->Data()), stream->Size()) : "<null>";
}

std::string Long(std::size_t n) {
    std::string s;
    while (s.size() < n) s += "line " + std::to_string(s.size()) + "\n";
    return s.substr(0, n);
}

TEST(ZipArchive, ReadsStoredDeflatedFolderAndEmptyEntries) {
    ZipBuilder zip;
    ZipBuilder::Entry folder;
    folder.name = "ui/";
    folder.attributes = 0x10;
    ZipBuilder::Entry commented;
    commented.name = "ui/c.txt";
    commented.data = "with extra and comment";
    commented.extra = std::string(9, 'e');
    commented.comment = "entry comment";
    commented.dosTime = 0x43210123;
    zip.Add(folder).Add("ui/a.txt", "stored text").Add("ui/b.htm", Long(50000), 8).Add(commented).Add("empty", "", 8);
    const std::string bytes = zip.Build();
    for (bool onDisk : {false, true}) {
        TempDir dir;
        dir.WriteFile("a.pak", bytes);
        RefPtr<NVFS::ZipArchive> archive = onDisk ? RefPtr<NVFS::ZipArchive>(new NVFS::ZipArchive(String((dir / "a.pak").c_str())))
                                                  : FromMemory(bytes);
        ASSERT_EQ(archive->GetEntryCount(), 5u) << onDisk;
        String name;
        ASSERT_TRUE(archive->GetEntryName(3, name));
        EXPECT_EQ(name.Std(), "ui/c.txt");
        EXPECT_TRUE(archive->IsFolderEntry(0));
        EXPECT_EQ(archive->GetEntrySize(2), 50000);
        EXPECT_EQ(archive->GetEntryTime(3), 0x43210123u);
        EXPECT_EQ(Contents(archive->OpenEntry(1).Get()), "stored text");
        EXPECT_EQ(Contents(archive->OpenEntry(2).Get()), Long(50000));
        EXPECT_EQ(Contents(archive->OpenEntry(3).Get()), "with extra and comment");
        EXPECT_EQ(Contents(archive->OpenEntry(4).Get()), "");
        EXPECT_FALSE(archive->OpenEntry(5));
        EXPECT_EQ(archive->GetRevision(), -1);

        RefPtr<IRawFileReader> raw = archive->OpenEntryRaw(1, false);
        ASSERT_TRUE(raw);
        EXPECT_EQ(raw->Size(), 11u);
        EXPECT_FALSE(archive->OpenEntryRaw(2, false));
        RefPtr<IRawFileReader> compressed = archive->OpenEntryRaw(2, true);
        ASSERT_TRUE(compressed);
        EXPECT_EQ(compressed->Size(), DeflateRaw(Long(50000)).size());
    }
}

TEST(ZipArchive, EntriesHoldingZlibStreams) {
    const std::string inner = DeflateZlib(Long(7000));
    ZipBuilder zip;
    zip.Add("stored.z", inner, 0).Add("deflated.z", inner, 8).Add("plain", "x", 0);
    const std::string bytes = zip.Build();
    RefPtr<NVFS::ZipArchive> archive = FromMemory(bytes);
    RefPtr<MappedStream> window;
    for (std::size_t i : {0u, 1u}) {
        RefPtr<IFileReader> reader = archive->OpenEntryReader(i, &window);
        ASSERT_TRUE(reader) << i;
        std::string out(8000, 0);
        EXPECT_EQ(reader->Read(out.data(), 8000), 7000u) << i;
        EXPECT_EQ(out.substr(0, 7000), Long(7000));
    }
}

TEST(ZipArchive, LayoutsThatGiveNoEntries) {
    ZipBuilder commented;
    commented.Add("a", "1").Comment("archive comment");
    ZipBuilder bzip;
    bzip.Add("a", "1").Add("b", "2", 12);
    const std::string cases[] = {commented.Build(), bzip.Build(), std::string(21, 'x'), std::string(),
                                 std::string(100, '\0')};
    for (const std::string& bytes : cases) EXPECT_EQ(FromMemory(bytes)->GetEntryCount(), 0u);
    RefPtr<NVFS::ZipArchive> missing(new NVFS::ZipArchive(String("/nonexistent/x.pak")));
    EXPECT_EQ(missing->GetEntryCount(), 0u);
    EXPECT_FALSE(missing->OpenEntry(0));
}

TEST(ZipArchive, LastEntryPastTheDeclaredDirectorySizeCounts) {
    ZipBuilder zip;
    zip.Add("a", "1").Add("bbbb", "2").DirectorySizeDelta(-3);
    const std::string bytes = zip.Build();
    RefPtr<NVFS::ZipArchive> archive = FromMemory(bytes);
    ASSERT_EQ(archive->GetEntryCount(), 2u);
    EXPECT_EQ(Contents(archive->OpenEntry(1).Get()), "2");
}

TEST(ZipArchive, DataDescriptorEntries) {
    ZipBuilder::Entry e;
    e.name = "d.txt";
    e.data = Long(3000);
    e.method = 8;
    e.dataDescriptor = true;
    ZipBuilder zip;
    zip.Add(e);
    const std::string bytes = zip.Build();
    RefPtr<NVFS::ZipArchive> archive = FromMemory(bytes);
    EXPECT_EQ(Contents(archive->OpenEntry(0).Get()), Long(3000));
}

TEST(ZipArchive, RevisionEntry) {
    struct Case { const char* text; std::int32_t revision; };
    const Case cases[] = {{"0x1F", 31}, {"12abc", 12}, {"abc", -1}, {"", -1}, {"017", 15}};
    for (const Case& c : cases) {
        ZipBuilder zip;
        zip.Add("other", "5").Add("revision", c.text);
        const std::string bytes = zip.Build();
        EXPECT_EQ(FromMemory(bytes)->GetRevision(), c.revision) << c.text;
    }
    ZipBuilder zip;
    zip.Add("Revision", "7").Add("revision2", "8");
    const std::string bytes = zip.Build();
    EXPECT_EQ(FromMemory(bytes)->GetRevision(), -1);
}

TEST(ZipArchive, ArchiveMadeByPythonZipfile) {
    std::ifstream in(LAUNCHER_TEST_DATA "/base/io/data/python.zip", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    RefPtr<NVFS::ZipArchive> archive = FromMemory(bytes);
    ASSERT_EQ(archive->GetEntryCount(), 4u);
    String name;
    archive->GetEntryName(1, name);
    EXPECT_EQ(name.Std(), "Launcher/res/launcher.htm");
    std::string html = "<html>";
    for (int i = 0; i < 200; ++i) html += "hello launcher ";
    EXPECT_EQ(Contents(archive->OpenEntry(1).Get()), html + "</html>");
    EXPECT_EQ(Contents(archive->OpenEntry(2).Get()), "var a = 1;\n");
    EXPECT_EQ(archive->GetEntrySize(0), 0);
    EXPECT_EQ(archive->GetRevision(), 31);
}

TEST(ZipArchive, HostileFieldsAreRefused) {
    ZipBuilder zip;
    zip.Add("stored", "0123456789").Add("deflated", Long(5000), 8);
    const std::string good = zip.Build();
    const ZipBuilder::Layout layout = zip.LastLayout();
    auto patchedFrom = [](std::string bytes, std::size_t at, std::uint32_t value, int width) {
        if (width == 2) Put16(bytes, at, static_cast<std::uint16_t>(value)); else Put32(bytes, at, value);
        return bytes;
    };
    auto patched = [&](std::size_t at, std::uint32_t value, int width) { return patchedFrom(good, at, value, width); };
    const std::size_t stored = layout.centralEntries[0];
    const std::size_t deflated = layout.centralEntries[1];
    const std::size_t local = layout.localHeaders[0];
    const std::size_t local2 = layout.localHeaders[1];

    // Directory offset and size that leave the archive (and wrap in 32 bits).
    for (std::uint32_t offset : {0xFFFFFFF0u, static_cast<std::uint32_t>(layout.end), static_cast<std::uint32_t>(layout.end + 1)}) {
        EXPECT_EQ(FromMemory(patched(layout.end + 16, offset, 4))->GetEntryCount(), 0u) << offset;
    }
    EXPECT_EQ(FromMemory(patched(layout.end + 12, 0xFFFFFFFFu, 4))->GetEntryCount(), 0u);
    // Name, extra and comment lengths that run past the end.
    for (std::size_t field : {28u, 30u, 32u}) {
        EXPECT_EQ(FromMemory(patched(deflated + field, 0xFFFF, 2))->GetEntryCount(), 0u) << field;
    }

    struct OpenCase { const char* what; std::string bytes; std::size_t index; };
    const OpenCase opens[] = {
        {"local offset past the end", patched(stored + 42, 0xFFFFFFF0u, 4), 0},
        {"local offset into the end record", patched(stored + 42, static_cast<std::uint32_t>(good.size() - 10), 4), 0},
        {"local name length past the end", patched(local + 26, 0xFFFF, 2), 0},
        {"stored sizes that disagree", patched(local + 22, 11, 4), 0},
        {"stored size past the end", patched(local + 18, 0xFFFFFFFFu, 4), 0},
        {"both stored sizes huge", patchedFrom(patched(local + 18, 0x7FFFFFFFu, 4), local + 22, 0x7FFFFFFFu, 4), 0},
        {"deflated size past the end", patched(local2 + 18, 0xFFFFFFF0u, 4), 1},
        {"inflated entry shorter than declared", patched(local2 + 22, 5001, 4), 1},
        {"uncompressed size 0xFFFFFFFF", patched(local2 + 22, 0xFFFFFFFFu, 4), 1},
        // 0xFFFFFFFF stands for a zip64 record, which is not read.
        {"zip64 local offset", patched(stored + 42, 0xFFFFFFFFu, 4), 0},
        {"zip64 sizes in the directory", patchedFrom(patched(stored + 20, 0xFFFFFFFFu, 4), stored + 24, 0xFFFFFFFFu, 4), 0},
    };
    for (const OpenCase& c : opens) {
        RefPtr<NVFS::ZipArchive> archive = FromMemory(c.bytes);
        ASSERT_EQ(archive->GetEntryCount(), 2u) << c.what;
        EXPECT_FALSE(archive->OpenEntry(c.index)) << c.what;
    }
    // A compressed size smaller than the data is a truncated stream: null, not garbage.
    EXPECT_FALSE(FromMemory(patched(local2 + 18, 100, 4))->OpenEntry(1));
}

// Overlapping ranges are legal to read (each range only has to lie inside the archive).
TEST(ZipArchive, OverlappingEntriesReadTheSharedBytes) {
    ZipBuilder zip;
    zip.Add("one", "shared").Add("two", "other!");
    std::string bytes = zip.Build();
    Put32(bytes, zip.LastLayout().centralEntries[1] + 42, 0);
    RefPtr<NVFS::ZipArchive> archive = FromMemory(bytes);
    EXPECT_EQ(Contents(archive->OpenEntry(1).Get()), "shared");
}

// Every prefix and every single-byte change of a valid archive: nothing reads outside it.
TEST(ZipArchive, TruncationAndCorruptionAtEveryOffset) {
    ZipBuilder zip;
    zip.Add("a/stored", "0123456789").Add("a/deflated", Long(3000), 8).Add("revision", "42");
    const std::string good = zip.Build();
    auto exercise = [](const std::string& bytes) {
        std::string copy = bytes;  // exact size, so ASan sees any read past it
        RefPtr<NVFS::ZipArchive> archive = FromMemory(copy);
        for (std::size_t i = 0; i < archive->GetEntryCount() + 1; ++i) {
            if (RefPtr<CDataStream> s = archive->OpenEntry(i)) {
                EXPECT_LE(s->Size(), 1u << 20);
            }
            archive->OpenEntryReader(i, nullptr);
            if (RefPtr<IRawFileReader> raw = archive->OpenEntryRaw(i, true)) {
                char buffer[64];
                while (raw->Read(buffer, sizeof buffer)) {}
            }
        }
        archive->GetRevision();
        return archive->GetEntryCount();
    };
    for (std::size_t cut = 0; cut < good.size(); ++cut) EXPECT_EQ(exercise(good.substr(0, cut)), 0u) << cut;
    for (std::size_t at = 0; at < good.size(); ++at) {
        for (unsigned char value : {0x00, 0xFF, 0x80}) {
            std::string bad = good;
            bad[at] = static_cast<char>(value);
            exercise(bad);
        }
    }
    EXPECT_EQ(exercise(good), 3u);
}

}  // namespace
