// The patch apply in a temporary game tree: the applier that came with the patches
// replaces the one in bin, the plan goes to the patches folder, the window ends with
// the plan's path, and the launcher's start of the applier runs it from bin with it.
// Every way of failing leaves the old applier whole, writes no plan and keeps the
// window open.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "RecordingWindow.h"
#include "base/runtime/StrUtil.h"
#include "shell/ProgramStarts.h"
#include "support/FileBytes.h"
#include "support/GameTree.h"
#include "support/LinkBait.h"
#include "workflow/patches/PatchesApplyFunctor.h"

namespace {

namespace fs = std::filesystem;

WideString W(const std::string& utf8) { return StrUtil::ToWide(String(utf8.c_str())); }

// Records where and how it was started, and a copy of the plan it was given.
const char kRecordingApplier[] =
    "#!/bin/sh\n"
    "{ pwd; for a in \"$0\" \"$@\"; do echo \"$a\"; done; } > ../Personal/applier.tmp\n"
    "cp \"$1\" ../Personal/plan-copy\n"
    "mv ../Personal/applier.tmp ../Personal/applier.record\n";

class PatchesApplyTest : public ::testing::Test {
public:
    void SetUp() override {
        ASSERT_EQ(::chdir((tree / "bin").c_str()), 0);
        params = new AppParams();
        params->binDir = WideString(u"./");
        params->patchesDir = WideString(u"../Patches/");
        WriteWholeFile(tree / "bin/VaraRurezod.exe", "old applier");
        WriteWholeFile(tree / "Patches/a/VaraRurezod.exe", kRecordingApplier);
        plan = new CumulativePatch();
        MultiPatchItem item;
        item.version = W("1.0.2");
        item.gameVersionFile = W("../Patches/a/game.version");
        item.patchFiles.PushBack(W("../Patches/a/p_q_1.0.1_1.0.2_.patch"));
        plan->items.PushBack(item);
        plan->applierPath = W("../Patches/a/VaraRurezod.exe");
    }

    bool Run() {
        RefPtr<PatchesApplyView> view(new PatchesApplyView(&window));
        RefPtr<PatchesApplyFunctor> functor = PatchesApplyFunctor::Create(view.Get(), params.Get(), plan.Get());
        return functor && functor->Run();
    }

    GameTree tree;
    RecordingWindow window;
    RefPtr<AppParams> params;
    RefPtr<CumulativePatch> plan;
};

TEST_F(PatchesApplyTest, TheApplierStartsFromBinWithThePlanOnceTheWindowHasClosed) {
    ASSERT_TRUE(Run());
    EXPECT_EQ(window.followUps, std::vector<std::u16string>{u"../Patches/patching.cmd"});
    EXPECT_TRUE(window.events.empty());

    EXPECT_EQ(ReadWholeFile(tree / "bin/VaraRurezod.exe"), kRecordingApplier);
    struct stat info {};
    ASSERT_EQ(::stat((tree / "bin/VaraRurezod.exe").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0755u);
    EXPECT_FALSE(HasTemporaryFileBeside(tree / "bin/VaraRurezod.exe"));
    const std::string planBytes = ReadWholeFile(tree / "Patches/patching.cmd");
    EXPECT_NE(planBytes.find("<patchFile>../Patches/a/p_q_1.0.1_1.0.2_.patch</patchFile>"), std::string::npos);
    EXPECT_EQ(planBytes.find("VaraRurezod"), std::string::npos);

    // What the launcher does once the window is gone; the applier outlives the call.
    ASSERT_TRUE(StartDetached(BuildApplierStart(WideString(window.followUps[0]), WideString(u"KEY 1"))));
    std::string record;
    for (int i = 0; i < 600 && !ReadWholeFile(tree / "Personal/applier.record", record); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(record, fs::canonical(tree / "bin").string() +
                          "\n./VaraRurezod.exe\n../Patches/patching.cmd\n-authkey\nKEY 1\n");
    EXPECT_EQ(ReadWholeFile(tree / "Personal/plan-copy"), planBytes);
}

TEST_F(PatchesApplyTest, NothingChangesWhenTheApplierOrThePlanCannotBePutInPlace) {
    const struct {
        const char* name;
        void (*arrange)(PatchesApplyTest&);
        bool applierCopied = false;  // the applier goes first, so only the plan failed
    } cases[] = {
        {"no applier came with the patches", [](PatchesApplyTest& t) { t.plan->applierPath = WideString(); }},
        {"the applier is missing", [](PatchesApplyTest& t) { fs::remove(t.tree / "Patches/a/VaraRurezod.exe"); }},
        {"the applier is a folder",
         [](PatchesApplyTest& t) { t.plan->applierPath = W("../Patches/a"); }},
        // A link could name any program of the machine, to be started as the applier.
        {"the applier is a link",
         [](PatchesApplyTest& t) {
             WriteWholeFile(t.tree / "outside/tool", "#!/bin/sh\n");
             fs::create_symlink(t.tree / "outside/tool", t.tree / "Patches/link.exe");
             t.plan->applierPath = W("../Patches/link.exe");
         }},
        {"the applier is a FIFO",
         [](PatchesApplyTest& t) {
             ASSERT_EQ(::mkfifo((t.tree / "Patches/fifo").c_str(), 0600), 0);
             t.plan->applierPath = W("../Patches/fifo");
         }},
        // Tests run as root, where a mode bit stops nothing: a folder that holds
        // something cannot be replaced by a file.
        {"the destination cannot be replaced",
         [](PatchesApplyTest& t) {
             fs::remove(t.tree / "bin/VaraRurezod.exe");
             WriteWholeFile(t.tree / "bin/VaraRurezod.exe/inside", "old applier");
         }},
        {"the plan cannot be written",
         [](PatchesApplyTest& t) {
             WriteWholeFile(t.tree / "Plans", "a file where the folder should be");
             t.params->patchesDir = WideString(u"../Plans/");
         },
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        c.arrange(*this);
        window.events.clear();
        EXPECT_FALSE(Run());
        EXPECT_TRUE(window.ended.empty());
        EXPECT_EQ(window.Names(), std::vector<std::u16string>{u"Patching.OnApplyFailed"});
        EXPECT_FALSE(fs::exists(tree / "Patches/patching.cmd"));
        EXPECT_FALSE(HasTemporaryFileBeside(tree / "bin/VaraRurezod.exe"));
        const bool fileDestination = fs::is_regular_file(tree / "bin/VaraRurezod.exe");
        const std::string old = ReadWholeFile(fileDestination ? tree / "bin/VaraRurezod.exe"
                                                              : tree / "bin/VaraRurezod.exe/inside");
        EXPECT_EQ(old, c.applierCopied ? kRecordingApplier : "old applier");
        fs::remove_all(tree / "bin/VaraRurezod.exe");
        fs::remove_all(tree / "Patches");
        fs::remove_all(tree / "Plans");
    }
}

TEST_F(PatchesApplyTest, LinksInPlaceOfTheApplierAndThePlanAreReplacedNotFollowed) {
    const LinkBait applier(tree / "outside/sbin/init", tree / "bin/VaraRurezod.exe");
    const LinkBait planFile(tree / "outside/etc/passwd", tree / "Patches/patching.cmd");
    ASSERT_TRUE(Run());
    EXPECT_TRUE(applier.Untouched());
    EXPECT_TRUE(applier.ReplacedByAFile());
    EXPECT_TRUE(planFile.Untouched());
    EXPECT_TRUE(planFile.ReplacedByAFile());
    EXPECT_EQ(ReadWholeFile(tree / "bin/VaraRurezod.exe"), kRecordingApplier);
}

}  // namespace
