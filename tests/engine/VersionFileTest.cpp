// Reading both version-file generations: round trips, every field's limits, truncation
// and corruption at every byte, untrusted names and counts.
#include <gtest/gtest.h>

#include "VersionFixtures.h"
#include "engine/gamedata/GameVersion4.h"
#include "engine/gamedata/GameVersion5.h"
#include "support/RequiredEnvironment.h"
#include "support/TempDir.h"

using namespace VersionWriter;

namespace {

std::string Ver4(const std::string& version, const std::string& rawList) {
    return Wrap4(Body4(version, Compress(rawList, 9)));
}

std::string Ver5(const std::string& version, const std::string& rawList) {
    const std::string blockA = BlockA5(version, Compress(rawList, 9));
    return Wrap5(blockA, Sign5(blockA, SamplePrivateKey()));
}

std::string Signed5(const std::string& blockA) { return Wrap5(blockA, Sign5(blockA, SamplePrivateKey())); }

// A raw ver4 folder list: one folder, one content record with the given name.
std::string RawList4(const std::string& folder, const std::string& name, std::uint32_t contentCount = 1) {
    return U32(1) + U32(0) + Framed(folder) + U32(contentCount) + Framed(name) + U32(7) + U32(0) + "\x03";
}

std::string RawList5(const std::string& folder, const std::string& name, std::uint32_t contentCount = 1) {
    return U32(1) + U32(0) + Framed(folder) + U32(contentCount) + Framed(name) + U32(7) + std::string(32, 'h') +
           "\x03";
}

std::string Compose(const Model& model, int format) { return VersionWriter::Compose(model, format, 9, SamplePrivateKey()); }

}  // namespace

TEST(VersionFile, RoundTripOfBothFormatsKeepsEveryField) {
    Model model = OneFileModel();
    FileEntry second;
    second.name = "b.pak";
    second.flags = 0x81;
    FillHashes(PatternBytes(0x8001, 1), second);
    model.folders[0].files.push_back(second);
    model.folders.push_back(FolderEntry {"/", {second}});
    for (int format : {4, 5}) {
        SCOPED_TRACE(format);
        RefPtr<Game::IGameVersion> version = ParseVersion(format, Compose(model, format));
        ASSERT_TRUE(version);
        EXPECT_EQ(String(version->GetVersion()).Std(), "5.2.17");
        ASSERT_EQ(version->GetFolders().Size(), 2u);
        EXPECT_EQ(version->GetContentCount(), 3);
        const Game::GameFolder& bin = *version->GetFolders()[0];
        EXPECT_EQ(bin.name.Std(), "/bin/");
        ASSERT_EQ(bin.contents.Size(), 2u);
        EXPECT_EQ(bin.contents[1]->name.Std(), "b.pak");
        EXPECT_EQ(bin.contents[1]->size, 0x8001u);
        EXPECT_EQ(bin.contents[1]->Flags(), 0x81);
        if (format == 4) {
            EXPECT_EQ(static_cast<const Game::Content4&>(*bin.contents[1]).crc, second.crc);
        } else {
            const auto& content = static_cast<const Game::Content5&>(*bin.contents[1]);
            EXPECT_EQ(0, memcmp(content.fullMd5, second.md5, 16));
            EXPECT_EQ(0, memcmp(content.quickMd5, second.quickMd5, 16));
        }
    }
}

TEST(VersionFile, LoadReadsTheFileUnderTheRootAndRefusesTheOtherGeneration) {
    TempDir tree;
    for (int format : {4, 5}) {
        SCOPED_TRACE(format);
        tree.WriteFile("Profiles/game.version", Compose(OneFileModel(), format));
        EXPECT_TRUE(LoadVersion(format, tree.Path()));
        EXPECT_FALSE(LoadVersion(9 - format, tree.Path()));
    }
    EXPECT_FALSE(LoadVersion(5, tree.Path() + "missing/"));
}

TEST(VersionFile, EveryTruncationFails) {
    for (int format : {4, 5}) {
        SCOPED_TRACE(format);
        const std::string bytes = Compose(OneFileModel(), format);
        ASSERT_TRUE(ParseVersion(format, bytes));
        for (std::size_t length = 0; length < bytes.size(); ++length) {
            EXPECT_FALSE(ParseVersion(format, bytes.substr(0, length))) << length;
        }
    }
}

TEST(VersionFile, EveryChangedByteFailsExceptUnreadPadding) {
    for (int format : {4, 5}) {
        SCOPED_TRACE(format);
        const std::string bytes = Compose(OneFileModel(), format);
        // "ver4" ends with three bytes nobody reads.
        const std::size_t checked = format == 4 ? bytes.size() - 3 : bytes.size();
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            std::string changed = bytes;
            changed[i] = static_cast<char>(changed[i] ^ 0x5A);
            EXPECT_EQ(static_cast<bool>(ParseVersion(format, changed)), i >= checked) << i;
        }
    }
}

TEST(VersionFile, Ver4FieldLimits) {
    const std::string list = RawList4("/bin/", "a.dll");
    const std::string good = Ver4("1.0", list);
    const std::string hashless = good.substr(0, good.size() - 24) + std::string("\0\0\0\0", 4);
    std::string negative = good;
    negative[negative.size() - 4] = static_cast<char>(0x80);
    std::string oversized = good;
    oversized[oversized.size() - 4] = 0x7F;
    struct Case {
        const char* what;
        std::string bytes;
        bool loads;
    } cases[] = {
        {"good", good, true},
        {"version 4095", Ver4(std::string(4095, 'v'), list), true},
        {"version 0", Ver4("", list), false},
        {"version 4096", Ver4(std::string(4096, 'v'), list), false},
        {"wrong magic", Wrap4("ver5" + Body4("1.0", Compress(list, 9)).substr(4)), false},
        {"no hash", hashless, false},
        {"negative hash length", negative, false},
        {"hash longer than file", oversized, false},
        {"list length past body", Wrap4("ver4" + Framed("1.0") + U32(1000) + Compress(list, 9)), false},
        {"garbage list", Wrap4(Body4("1.0", "not zlib data")), false},
        {"no folders", Ver4("1.0", U32(0)), true},
        {"empty folder", Ver4("1.0", RawList4("/bin/", "a.dll", 0)), false},
        {"empty name", Ver4("1.0", RawList4("/bin/", "")), false},
        {"name 4096", Ver4("1.0", RawList4("/bin/", std::string(4096, 'n'))), false},
        {"folder count too large", Ver4("1.0", U32(0xFFFFFFFF) + list.substr(4)), false},
        {"content count too large", Ver4("1.0", RawList4("/bin/", "a.dll", 0xFFFFFFFF)), false},
        {"short record", Ver4("1.0", list.substr(0, list.size() - 1)), false},
    };
    for (const Case& c : cases) EXPECT_EQ(static_cast<bool>(ParseVersion(4, c.bytes)), c.loads) << c.what;

    RefPtr<Game::IGameVersion> cut = ParseVersion(4, Ver4(std::string("1.0\0tail", 8), list));
    ASSERT_TRUE(cut);
    EXPECT_EQ(String(cut->GetVersion()).Std(), "1.0");
}

TEST(VersionFile, Ver5FieldLimits) {
    const std::string list = Compress(RawList5("/bin/", "a.dll"), 9);
    const std::string blockA = BlockA5("1.0", list);
    const std::string signature = Sign5(blockA, SamplePrivateKey());
    std::string otherKeySignature = signature;
    otherKeySignature[5] ^= 1;
    struct Case {
        const char* what;
        std::string bytes;
        bool loads;
    } cases[] = {
        {"good", Wrap5(blockA, signature), true},
        {"bytes after the signature", Wrap5(blockA, signature) + "rest", true},
        {"empty version and names", Ver5("", RawList5("", "")), true},
        {"empty block A", Wrap5("", signature), false},
        {"empty signature", Wrap5(blockA, ""), false},
        {"bad signature", Wrap5(blockA, otherKeySignature), false},
        {"block A length past file", U32(0xA00000) + blockA, false},
        {"block A length over limit", U32(0xA00001) + blockA, false},
        {"wrong magic", Signed5("ver4" + blockA.substr(4)), false},
        {"version past block", Signed5("ver5" + U32(100) + "1.0"), false},
        {"list past block", Signed5("ver5" + Framed("1.0") + U32(list.size() + 1) + list), false},
        {"garbage list", Signed5(BlockA5("1.0", "not zlib")), false},
        {"no folders", Ver5("1.0", U32(0)), true},
        {"empty folder", Ver5("1.0", RawList5("/bin/", "a.dll", 0)), false},
        {"folder count too large", Ver5("1.0", U32(0xFFFFFFFF) + RawList5("/bin/", "a").substr(4)), false},
        {"dotdot name", Ver5("1.0", RawList5("/bin/", "../../etc/passwd")), false},
        {"dotdot folder", Ver5("1.0", RawList5("/../", "a")), false},
        {"absolute name", Ver5("1.0", RawList5("", "//etc/passwd")), false},
        {"backslash dotdot", Ver5("1.0", RawList5("\\bin\\", "..\\x")), false},
        {"control character", Ver5("1.0", RawList5("/bin/", "a\nb")), false},
        {"dots inside a name", Ver5("1.0", RawList5("/bin/", "a..b")), true},
        {"a ver4 file", Ver4("1.0", RawList4("/bin/", "a")), false},
    };
    for (const Case& c : cases) EXPECT_EQ(static_cast<bool>(ParseVersion(5, c.bytes)), c.loads) << c.what;
    EXPECT_FALSE(ParseVersion(4, Wrap5(blockA, signature)));
}

TEST(VersionFile, Ver5BlockOfExactlyTheLimitIsAccepted) {
    const std::string head = BlockA5("1.0", Compress(RawList5("/bin/", "a.dll"), 9));
    const std::string blockA = head + std::string(0xA00000 - head.size(), 'r');
    EXPECT_TRUE(ParseVersion(5, Signed5(blockA)));
}

TEST(VersionFile, SignatureMadeByTheOpenSslCommandLineVerifies) {
    TempDir temp;
    const std::string blockA = BlockA5("1.0", Compress(RawList5("/bin/", "a.dll"), 9));
    temp.WriteFile("blockA", blockA);
    if (!RunProgram({"openssl", "dgst", "-md5", "-sign", SAMPLE_VERSION_PRIVATE_KEY, "-keyform", "DER", "-sigopt",
                     "rsa_padding_mode:pss", "-sigopt", "rsa_pss_saltlen:8", "-out", temp / "sig", temp / "blockA"})) {
        SKIP_UNLESS_REQUIRED("no openssl command");
    }
    EXPECT_TRUE(ParseVersion(5, Wrap5(blockA, temp.ReadFile("sig"))));
}

TEST(VersionFile, MaskKeepsOnlyContentsWithAllItsBits) {
    Model model = OneFileModel();
    model.folders[0].files[0].flags = 1;  // not in the minimal set
    FileEntry minimal = model.folders[0].files[0];
    minimal.name = "m.dll";
    minimal.flags = 0xFE;  // negative as a signed byte, bit 1 set
    model.folders[0].files.push_back(minimal);
    model.folders.push_back(FolderEntry {"/data/", {model.folders[0].files[0]}});
    for (int format : {4, 5}) {
        SCOPED_TRACE(format);
        RefPtr<Game::IGameVersion> all = ParseVersion(format, Compose(model, format), "/x/", 0);
        ASSERT_TRUE(all);
        EXPECT_EQ(all->GetContentCount(), 3);
        RefPtr<Game::IGameVersion> minimalSet = ParseVersion(format, Compose(model, format), "/x/", 2);
        ASSERT_TRUE(minimalSet);
        EXPECT_EQ(minimalSet->GetContentCount(), 1);
        ASSERT_EQ(minimalSet->GetFolders().Size(), 2u);
        EXPECT_EQ(minimalSet->GetFolders()[0]->contents[0]->name.Std(), "m.dll");
        EXPECT_TRUE(minimalSet->GetFolders()[1]->contents.Empty());
    }
}

TEST(VersionFile, InflatedListBeyondTheCapIsRefused) {
    // Millions of valid but dropped records: small on disk, huge inflated.
    const std::string record = Framed("x") + U32(1) + U32(0) + std::string(1, '\0');
    const std::size_t records = (Game::kMaxFolderListBytes / record.size()) + 16;
    std::string raw = U32(1) + U32(0) + Framed("/") + U32(static_cast<std::uint32_t>(records));
    raw.reserve(raw.size() + records * record.size());
    for (std::size_t i = 0; i < records; ++i) raw += record;
    EXPECT_FALSE(ParseVersion(4, Ver4("1.0", raw), "/x/", 2));
}
