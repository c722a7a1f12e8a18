// The patch plan: the bytes the applier reads, the text form a plan may also come in,
// and what a plan file that is not ours (a FIFO, a huge file, deep nesting) does.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "base/runtime/StrUtil.h"
#include "support/TempDir.h"
#include "workflow/patches/MultiPatch.h"
#include "workflow/patches/PatchPlanFile.h"

namespace {

WideString W(const std::string& utf8) { return StrUtil::ToWide(String(utf8.c_str())); }
std::string U(const WideString& wide) { return StrUtil::ToNarrow(wide).Std(); }

MultiPatchItem Item(const std::string& version, const std::string& versionFile, std::vector<std::string> files) {
    MultiPatchItem item;
    item.version = W(version);
    item.gameVersionFile = W(versionFile);
    for (const std::string& file : files) item.patchFiles.PushBack(W(file));
    return item;
}

struct Entry {
    std::string version, versionFile;
    std::vector<std::string> files;
    bool operator==(const Entry&) const = default;
};

std::vector<Entry> Entries(const MultiPatch* plan) {
    std::vector<Entry> entries;
    if (!plan) return entries;
    for (const MultiPatchItem& item : plan->items) {
        Entry entry{U(item.version), U(item.gameVersionFile), {}};
        for (const WideString& file : item.patchFiles) entry.files.push_back(U(file));
        entries.push_back(entry);
    }
    return entries;
}

std::string Print(const MultiPatch& plan) {
    String bytes;
    EXPECT_TRUE(PrintPatchPlan(plan, bytes));
    return bytes.Std();
}

// The three shapes of an entry, with every character the printer must escape and text
// outside ASCII.
RefPtr<MultiPatch> ThreeShapes() {
    RefPtr<MultiPatch> plan(new MultiPatch());
    plan->items.PushBack(Item("1.0.2", "../Patches/a&b/game.version", {"../Patches/a&b/p_q_1.0.1_1.0.2_.patch"}));
    plan->items.PushBack(Item("1.0.3", "<\"'>/Патч.version", {"f1 &#x41;", "Обновление/f2"}));
    plan->items.PushBack(Item("", "", {}));
    return plan;
}

TEST(PatchPlanTest, PrintsTheThreeEntryShapesByteForByte) {
    const std::string expected =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n"
        "<Base>\r\n"
        "\t<format>multi</format>\r\n"
        "\t<patches>\r\n"
        "\t\t<Item>\r\n"
        "\t\t\t<version>1.0.2</version>\r\n"
        "\t\t\t<gameVersionFile>../Patches/a&amp;b/game.version</gameVersionFile>\r\n"
        "\t\t\t<patchFile>../Patches/a&amp;b/p_q_1.0.1_1.0.2_.patch</patchFile>\r\n"
        "\t\t</Item>\r\n"
        "\t\t<Item>\r\n"
        "\t\t\t<version>1.0.3</version>\r\n"
        "\t\t\t<gameVersionFile>&lt;&quot;&apos;&gt;/Патч.version</gameVersionFile>\r\n"
        "\t\t\t<patchFiles>\r\n"
        "\t\t\t\t<Item>f1 &amp;#x41;</Item>\r\n"
        "\t\t\t\t<Item>Обновление/f2</Item>\r\n"
        "\t\t\t</patchFiles>\r\n"
        "\t\t</Item>\r\n"
        "\t\t<Item>\r\n"
        "\t\t\t<version />\r\n"
        "\t\t\t<gameVersionFile />\r\n"
        "\t\t\t<patchFile />\r\n"
        "\t\t\t<patchFiles />\r\n"
        "\t\t</Item>\r\n"
        "\t</patches>\r\n"
        "</Base>\r\n";
    EXPECT_EQ(Print(*ThreeShapes()), expected);

    RefPtr<MultiPatch> empty(new MultiPatch());
    EXPECT_EQ(Print(*empty),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<Base>\r\n\t<format>multi</format>\r\n"
              "\t<patches />\r\n</Base>\r\n");
}

TEST(PatchPlanTest, AWrittenPlanReadsBackAsItWasWithoutTheApplier) {
    TempDir dir;
    const RefPtr<MultiPatch> shapes = ThreeShapes();
    RefPtr<CumulativePatch> plan(new CumulativePatch());
    for (const MultiPatchItem& item : shapes->items) plan->items.PushBack(item);
    plan->items.PushBack(Item("2.0", "C:\\game\\game.version", {"a\\b.patch", "c/d.patch"}));
    plan->applierPath = W("../Patches/a/VaraRurezod.exe");
    ASSERT_TRUE(WritePatchPlan(*plan, W(dir / "Patches/patching.cmd")));
    EXPECT_EQ(dir.ReadFile("Patches/patching.cmd").find("VaraRurezod"), std::string::npos);
    EXPECT_FALSE(HasTemporaryFileBeside(dir / "Patches/patching.cmd"));

    const std::vector<Entry> expected = {
        {"1.0.2", "../Patches/a&b/game.version", {"../Patches/a&b/p_q_1.0.1_1.0.2_.patch"}},
        {"1.0.3", "<\"'>/Патч.version", {"f1 &#x41;", "Обновление/f2"}},
        {"", "", {}},
        {"2.0", "C:/game/game.version", {"a/b.patch", "c/d.patch"}},
    };
    EXPECT_EQ(Entries(MultiPatch::Load(W(dir / "Patches/patching.cmd")).Get()), expected);
}

TEST(PatchPlanTest, ReadsTheTextForm) {
    const struct {
        const char* name;
        std::string bytes;
        bool plan;
        Entry entry;
    } cases[] = {
        {"patch, version file, patch", "  \"a/p1.patch\" \"x/game.version\"\r\n\"b/p2.patch\"", true,
         {"p2.patch", "x/game.version", {"a/p1.patch", "b/p2.patch"}}},
        {"the version file's name in capitals", "  \"x/GAME.VERSION\"", true, {"", "x/GAME.VERSION", {}}},
        {"a later version file wins", "  \"a/game.version\"\"b/game.version\"", true, {"", "b/game.version", {}}},
        {"backslashes do not separate the name", "  \"C:\\x\\game.version\"", true,
         {"C:\\x\\game.version", "", {"C:/x/game.version"}}},
        {"no quotes at all gives one empty entry", "  nothing here", true, {"", "", {}}},
        {"an unterminated quote ends the scan", "  \"a/p1.patch\" \"b/p2", true, {"p1.patch", "", {"a/p1.patch"}}},
        {"a quote as the last byte", "  \"a/p1.patch\" \"", true, {"p1.patch", "", {"a/p1.patch"}}},
        {"an empty path is a patch file", "  \"\"", true, {"", "", {""}}},
        {"the scan ends at NUL", std::string("  \"a/p1.patch\"\0\"b/p2.patch\"", 27), true,
         {"p1.patch", "", {"a/p1.patch"}}},
        {"Cyrillic names", "  \"Патчи/п_1.patch\"", true, {"п_1.patch", "", {"Патчи/п_1.patch"}}},
        {"two blanks are never XML", "  <Base><format>multi</format></Base>", true, {"", "", {}}},
        {"one blank is XML, and this is none", " \"a/p1.patch\"", false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        dir.WriteFile("patching.cmd", c.bytes);
        const RefPtr<MultiPatch> plan = MultiPatch::Load(W(dir / "patching.cmd"));
        ASSERT_EQ(plan != nullptr, c.plan);
        if (plan) {
            EXPECT_EQ(Entries(plan.Get()), std::vector<Entry>{c.entry});
        }
    }
}

TEST(PatchPlanTest, ReadsTheXmlFormTheWayTheApplierDoes) {
    const struct {
        const char* name;
        std::string bytes;
        std::vector<Entry> entries;  // none: no plan
    } cases[] = {
        {"the root's name is not checked; children by position, whatever their names",
         "<Plan><format>multi</format><patches><A><version>1</version></A>"
         "<B><version>2</version><patchFile>p</patchFile><patchFiles><Item>q</Item></patchFiles></B></patches></Plan>",
         {{"1", "", {}}, {"2", "", {"p"}}}},
        {"an empty patchFile gives way to the list",
         "<Base><format>multi</format><patches><Item><patchFile/><patchFiles><Item>a\\b</Item><Item>c</Item>"
         "</patchFiles></Item></patches></Base>",
         {{"", "", {"a/b", "c"}}}},
        {"a skipped child keeps its defaults",
         "<Base><format>multi</format><patches><Item skiped=\"1\"><version>1</version></Item>"
         "<Item><version>2</version></Item></patches></Base>",
         {{"", "", {}}, {"2", "", {}}}},
        {"character references read as written",
         "<Base><format>multi</format><patches><Item><version>&#x41;&amp;#x41;&lt;</version></Item></patches></Base>",
         {{"A&#x41;<", "", {}}}},
        {"a broken reference is kept", "<Base><format>multi</format><patches><Item><version>&#xZZ;&#x</version>"
                                       "</Item></patches></Base>",
         {{"&#xZZ;&#x", "", {}}}},
        {"another format", "<Base><format>single</format><patches><Item/></patches></Base>", {}},
        {"no format", "<Base><patches><Item/></patches></Base>", {}},
        {"no entries", "<Base><format>multi</format><patches></patches></Base>", {}},
        {"no patches element", "<Base><format>multi</format></Base>", {}},
        {"garbage", "\x01\x02garbage<<<", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        dir.WriteFile("patching.cmd", c.bytes);
        EXPECT_EQ(Entries(MultiPatch::Load(W(dir / "patching.cmd")).Get()), c.entries);
    }
}

// A plan file is read on the UI thread: nothing that lies there may hang or exhaust it.
TEST(PatchPlanTest, OnlyARegularFileOfSaneSizeIsAPlan) {
    TempDir dir;
    const std::string valid = "  \"a/p.patch\"";
    dir.WriteFile("real.cmd", valid);
    ASSERT_NE(MultiPatch::Load(W(dir / "real.cmd")), nullptr);

    ASSERT_EQ(::mkfifo((dir / "fifo.cmd").c_str(), 0600), 0);  // nobody writes: a blocking open would hang
    ASSERT_EQ(::mkdir((dir / "folder.cmd").c_str(), 0700), 0);
    ASSERT_EQ(::symlink((dir / "real.cmd").c_str(), (dir / "link.cmd").c_str()), 0);
    dir.WriteFile("empty.cmd", "");
    dir.WriteFile("huge.cmd", valid + std::string(MultiPatch::kMaxFileBytes, ' '));
    std::string deep = "<Base><format>multi</format><patches><Item><version>1</version>";
    for (int i = 0; i < 100000; ++i) deep += "<a>";
    dir.WriteFile("deep.cmd", deep);
    std::string many = "<Base><format>multi</format><patches>";
    for (std::size_t i = 0; i <= MultiPatch::kMaxEntries; ++i) many += "<I/>";
    dir.WriteFile("many.cmd", many + "</patches></Base>");
    for (const char* name : {"fifo.cmd", "folder.cmd", "link.cmd", "empty.cmd", "huge.cmd", "missing.cmd", "many.cmd"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(MultiPatch::Load(W(dir / name)), nullptr);
    }
    // Nesting past the reader's bound ends the document; the entry before it stays.
    EXPECT_EQ(Entries(MultiPatch::Load(W(dir / "deep.cmd")).Get()), (std::vector<Entry>{{"1", "", {}}}));
}

TEST(PatchPlanTest, AFailedWriteIsReportedAndLeavesTheOldPlan) {
    TempDir dir;
    const RefPtr<MultiPatch> plan = ThreeShapes();
    dir.WriteFile("Patches/patching.cmd", "old plan");

    // The target is a folder: the rename fails after every byte was written.
    ASSERT_EQ(::mkdir((dir / "Patches/busy.cmd").c_str(), 0700), 0);
    EXPECT_FALSE(WritePatchPlan(*plan, W(dir / "Patches/busy.cmd")));
    EXPECT_FALSE(HasTemporaryFileBeside(dir / "Patches/busy.cmd"));
    // No folder can be made under a file.
    EXPECT_FALSE(WritePatchPlan(*plan, W(dir / "Patches/patching.cmd/inner.cmd")));

    // A full disk: the file size limit cuts the write short, in a child so that the
    // limit stays there.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{100, 100};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(WritePatchPlan(*plan, W(dir / "Patches/patching.cmd")) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "a short write counted as written";
    EXPECT_EQ(dir.ReadFile("Patches/patching.cmd"), "old plan");
    EXPECT_FALSE(HasTemporaryFileBeside(dir / "Patches/patching.cmd"));

    // A link by the name of an older temporary file is not written through.
    dir.WriteFile("elsewhere", "keep");
    ASSERT_EQ(::symlink((dir / "elsewhere").c_str(), (dir / "Patches/patching.cmd.tmp").c_str()), 0);
    EXPECT_TRUE(WritePatchPlan(*plan, W(dir / "Patches/patching.cmd")));
    EXPECT_EQ(dir.ReadFile("elsewhere"), "keep");
    EXPECT_EQ(Entries(MultiPatch::Load(W(dir / "Patches/patching.cmd")).Get()).size(), 3u);
}

}  // namespace
