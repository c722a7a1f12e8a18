#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <functional>
#include <string>

#include "base/io/FileStream.h"
#include "base/io/InflateReader.h"
#include "base/io/MemoryMappedFile.h"
#include "base/io/ZipArchive.h"
#include "support/TempDir.h"
#include "support/ZipBuilder.h"

#if defined(__SANITIZE_ADDRESS__)
#define UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define UNDER_ASAN 1
#endif
#endif

namespace {

// Bytes that are never zero, so that a zero read back can only be a stand-in.
std::string Pattern(std::size_t n) {
    std::string s(n, 0);
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>(1 + i % 251);
    return s;
}

// A zlib stream of stored blocks only. Inflating stored bytes copies them, so zeros read
// in place of a cut-off part inflate cleanly: only the damage flag can tell.
constexpr std::size_t kBlock = 65535;
std::string StoredZlib(const std::string& data) {
    std::string out = "\x78\x01";
    for (std::size_t at = 0; at < data.size(); at += kBlock) {
        const std::size_t n = std::min(kBlock, data.size() - at);
        out += static_cast<char>(at + n == data.size() ? 1 : 0);
        for (std::size_t v : {n, ~n}) out += {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
        out.append(data, at, n);
    }
    const uLong sum = adler32(1, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size()));
    for (int shift : {24, 16, 8, 0}) out += static_cast<char>((sum >> shift) & 0xFF);
    return out;
}
// The uncompressed index whose stored byte lies at offset of a StoredZlib stream.
std::size_t StoredIndexAt(std::size_t offset) { return (offset - 2) / (kBlock + 5) * kBlock + (offset - 2) % (kBlock + 5) - 5; }

constexpr std::size_t kLarge = 20u << 20;    // above the copy limit: mapped
constexpr off_t kCut = (1u << 20) + (8 << 12);  // page-aligned, inside a stored block

// Each reader opens the file, reads a little, lets the file be cut, then reads past the cut.
TEST(MappingGuard, CutUnderALargeMappingFailsTheReadInsteadOfCrashing) {
    static_assert(kLarge > CMemoryMappedFile::kCopyLimit);
    const std::string data = Pattern(kLarge);
    const std::string zlib = StoredZlib(data);
    char buffer[64];
    struct Case {
        const char* what;
        const std::string* content;
        std::function<void(const std::string& path, const std::function<void()>& cut)> run;
    };
    const Case cases[] = {
        {"mapped file, Read", &data,
         [&](const std::string& path, const std::function<void()>& cut) {
             RefPtr<CMemoryMappedFile> file(new CMemoryMappedFile(String(path.c_str()), FileSource::Read));
             ASSERT_EQ(file->Read(buffer, 64), 64u);
             EXPECT_EQ(std::string(buffer, 64), data.substr(0, 64));
             cut();
             ASSERT_TRUE(file->SetCursor(kCut + 5000));
             EXPECT_EQ(file->Read(buffer, 64), 0u);
             EXPECT_TRUE(file->HasError());
             EXPECT_EQ(std::string(buffer, 64), std::string(64, '\0'));
         }},
        {"file stream, bytes used in place", &data,
         [&](const std::string& path, const std::function<void()>& cut) {
             RefPtr<CFileStream> stream(new CFileStream(String(path.c_str()), false));
             ASSERT_FALSE(stream->HasError());
             EXPECT_EQ(stream->Data()[kCut - 1], data[kCut - 1]);
             cut();
             const volatile std::uint8_t* bytes = stream->Data();
             EXPECT_EQ(bytes[kCut + 10], 0);
             EXPECT_TRUE(stream->HasError());
             EXPECT_FALSE(stream->Close());
         }},
        {"inflater over the mapped file", &zlib,
         [&](const std::string& path, const std::function<void()>& cut) {
             RefPtr<CMemoryMappedFile> file(new CMemoryMappedFile(String(path.c_str()), FileSource::Read));
             RefPtr<IFileReader> reader = ZipReader<ZipMemoryStream>::Create(file.Get());
             ASSERT_EQ(reader->Read(buffer, 64), 64u);
             EXPECT_EQ(std::string(buffer, 64), data.substr(0, 64));
             cut();
             // Ends 200 bytes past the cut, well before the end of its stored block.
             std::string rest(StoredIndexAt(kCut) + 200 - 64, '\0');
             EXPECT_EQ(reader->Read(rest.data(), static_cast<std::uint32_t>(rest.size())), 0u);
             EXPECT_FALSE(reader->IsReadable());
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        dir.WriteFile("large", *c.content);
        const std::string path = dir / "large";
        c.run(path, [&] { CutFromAnotherProcess(path, kCut); });
    }
}

// A pack entry whose bytes lie past the cut: a mapped view fails, a copied one keeps its bytes.
TEST(MappingGuard, CutUnderAPackEntry) {
    const std::string content = Pattern(300000);
    ZipBuilder zip;
    zip.Add("big", content);
    TempDir dir;
    const std::string path = dir / "pack.pak";
    for (bool mapped : {true, false}) {
        SCOPED_TRACE(mapped ? "mapped entry" : "copied entry");
        dir.WriteFile("pack.pak", zip.Build());
        RefPtr<NVFS::ZipArchive> archive(new NVFS::ZipArchive(String(path.c_str())));
        ASSERT_EQ(archive->GetEntryCount(), 1u);
        if (mapped) archive->Source()->CreateMapping();
        RefPtr<CDataStream> entry = archive->OpenEntry(0);
        ASSERT_TRUE(entry);
        char head[16];
        ASSERT_EQ(entry->Read(head, 16), 16u);
        CutFromAnotherProcess(path, 128 << 10);
        std::string rest(content.size() - 16, '\0');
        const std::uint32_t got = entry->Read(rest.data(), static_cast<std::uint32_t>(rest.size()));
        if (mapped) {
            EXPECT_EQ(got, 0u);
            EXPECT_TRUE(entry->HasError());
        } else {
            EXPECT_EQ(got, rest.size());
            EXPECT_EQ(rest, content.substr(16));
            EXPECT_FALSE(entry->HasError());
        }
        EXPECT_FALSE(archive->OpenEntry(0));  // the entry no longer lies inside the archive
    }
}

// SIGBUS that the guard does not own still ends the process, in a child so the test survives.
TEST(MappingGuard, OtherSigbusStillEndsTheProcess) {
    TempDir dir;
    dir.WriteFile("other", std::string(8192, 'x'));
    const std::string guarded = dir / "guarded";
    dir.WriteFile("guarded", "");
    ASSERT_EQ(::truncate(guarded.c_str(), kLarge), 0);  // sparse
    struct Case { const char* what; bool fault; };
    for (const Case c : {Case{"fault in an unguarded mapping", true}, Case{"signal sent by kill", false}}) {
        SCOPED_TRACE(c.what);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Quiet: a sanitizer's report of the expected signal must not read as a failure in the log.
            const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
            if (null >= 0) ::dup2(null, 2);
            // A live guarded mapping, so the handler is in place and has ranges to compare.
            RefPtr<CMemoryMappedFile> file(new CMemoryMappedFile(String(guarded.c_str()), FileSource::Read));
            if (file->HasError()) _exit(3);
            if (c.fault) {
                const std::string other = dir / "other";
                const int fd = ::open(other.c_str(), O_RDONLY | O_CLOEXEC);
                auto* view = static_cast<volatile char*>(::mmap(nullptr, 8192, PROT_READ, MAP_SHARED, fd, 0));
                if (view == MAP_FAILED || ::truncate(other.c_str(), 0) != 0) _exit(4);
                (void)view[4096];
            } else {
                ::kill(::getpid(), SIGBUS);
            }
            _exit(0);  // survived: the guard swallowed a signal that was not its own
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
#ifdef UNDER_ASAN
        // The sanitizer's handler lies below ours: it reports the signal and exits with an error.
        EXPECT_TRUE(WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) != 0 &&
                                            WEXITSTATUS(status) != 3 && WEXITSTATUS(status) != 4))
            << status;
#else
        ASSERT_TRUE(WIFSIGNALED(status)) << status;
        EXPECT_EQ(WTERMSIG(status), SIGBUS);
#endif
    }
}

}  // namespace
