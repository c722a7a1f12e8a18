// The repair step as the page sees it: a real worker over a temporary game tree and
// download folder, a recording window, a clock the test moves in 500 ms ticks, and the
// page's answers to the locked-file question as commands to the step.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "RecordingWindow.h"
#include "shell/AppParams.h"
#include "support/ManualTimerHost.h"
#include "support/TempDir.h"
#include "support/versions/SignedVersions.h"
#include "workflow/PageCommands.h"
#include "workflow/WorkflowValues.h"
#include "workflow/repair/RepairFunctor.h"
#include "workflow/repair/RepairState.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

class RepairTest : public ::testing::Test {
protected:
    void SetUp() override {
        params = new AppParams();
        params->gameRoot = WideString(String((tree / "game/").c_str()));
    }
    void TearDown() override {
        Workflow::ProgressiveDownload() = false;
        Workflow::MinimumCheck() = true;
    }

    // The downloaded files under Patches/rip/, the list naming them with code 5 and their records.
    RefPtr<RipPatch> Job(const std::vector<std::pair<std::string, std::string>>& files) {
        RefPtr<Rip> rip(new Rip());
        for (const auto& [path, bytes] : files) {
            rip->Append(WideString(String(path.c_str())), static_cast<std::uint32_t>(bytes.size()), 5,
                        VersionRecord(bytes).Get());
            tree.WriteFile("Patches/rip/" + path, bytes);
        }
        return RefPtr<RipPatch>(new RipPatch(rip.Get(), WideString(String((tree / "Patches/rip/").c_str()))));
    }

    RefPtr<RepairState> Start(RipPatch* job, DiskSpaceChecker::FreeBytes free = DiskSpaceChecker::MeasureFreeBytes) {
        RefPtr<RepairView> view(new RepairView(&window));
        RefPtr<RepairFunctor> functor = RepairFunctor::Create(view.Get(), params.Get(), job, std::move(free));
        EXPECT_TRUE(functor);
        if (!functor) return nullptr;
        RefPtr<RepairState> state(new RepairState(functor.Get()));
        EXPECT_TRUE(functor->Run());
        EXPECT_FALSE(functor->Run());
        return state;
    }

    // Ticks until an event of that name arrives (bounded in real time).
    bool TickUntil(const std::u16string& name) {
        const auto deadline = std::chrono::steady_clock::now() + 30s;
        std::size_t seen = window.events.size();
        while (std::chrono::steady_clock::now() < deadline) {
            timers.Advance(RepairFunctor::kTickMs);
            for (; seen < window.events.size(); ++seen)
                if (window.events[seen][0] == name) return true;
            std::this_thread::sleep_for(2ms);
        }
        return false;
    }

    TempDir tree;
    RefPtr<AppParams> params;
    ManualTimerHost timers;
    RecordingWindow window{&timers};
};

TEST_F(RepairTest, TwoFilesArePlacedAndTheFinalListShowsThemRepaired) {
    const RefPtr<RipPatch> job = Job({{"bin/a.dll", "code"}, {"data/b.pak", std::string(5000, 'b')}});
    const RefPtr<RepairState> step = Start(job.Get());
    EXPECT_EQ(window.Names(), std::vector<std::u16string>{u"Repair.OnApply"});
    ASSERT_TRUE(TickUntil(u"Repair.OnSuccess"));

    EXPECT_EQ(window.events.back(), (EventRecord{u"Repair.OnSuccess", u"bin/a.dll", u"4", u"0", u"0", u"data/b.pak",
                                                 u"5000", u"0", u"1"}));
    EXPECT_EQ(window.events[window.events.size() - 2][0], u"Repair.OnProgress");
    EXPECT_EQ(tree.ReadFile("game/data/b.pak"), std::string(5000, 'b'));
    // Answers without a question are taken and change nothing.
    EXPECT_TRUE(step->OnCommand(PageCommand::RepairLockRetry, WideString()));
    EXPECT_TRUE(step->OnCommand(PageCommand::RepairLockAbort, WideString()));
    EXPECT_FALSE(step->OnCommand(PageCommand::RipApply, WideString()));
    const std::size_t events = window.events.size();
    timers.Advance(5 * RepairFunctor::kTickMs);
    EXPECT_EQ(window.events.size(), events);
}

// The repair torrent is not signed: a server can hand other bytes of the right size.
TEST_F(RepairTest, ADownloadThatIsNotTheListedFileStaysOutAndThePageSeesItUnrepaired) {
    tree.WriteFile("game/data/b.pak", "the game's own");
    const RefPtr<RipPatch> job = Job({{"bin/a.dll", "code"}, {"data/b.pak", std::string(5000, 'b')}});
    tree.WriteFile("Patches/rip/data/b.pak", std::string(4999, 'b') + "!");
    const RefPtr<RepairState> step = Start(job.Get());
    ASSERT_TRUE(TickUntil(u"Repair.OnFail"));

    EXPECT_EQ(window.events.back(), (EventRecord{u"Repair.OnFail", u"0", u"bin/a.dll", u"4", u"0", u"0", u"data/b.pak",
                                                 u"5000", u"5", u"1"}));
    EXPECT_EQ(tree.ReadFile("game/bin/a.dll"), "code");
    EXPECT_EQ(tree.ReadFile("game/data/b.pak"), "the game's own");
    EXPECT_FALSE(tree.Exists("Patches/rip"));
}

TEST_F(RepairTest, TheLockedFileQuestionIsAnsweredRetryThenAbort) {
    tree.WriteFile("game/bin/locked.dll/keep", "a folder where the file goes");
    const RefPtr<RipPatch> job = Job({{"bin/locked.dll", "fresh"}});
    const RefPtr<RepairState> step = Start(job.Get());
    ASSERT_TRUE(TickUntil(u"Repair.OnLockedFile"));
    const EventRecord question = window.events.back();
    ASSERT_EQ(question.size(), 3u);
    EXPECT_EQ(String(WideString(question[1].c_str())).Std(), tree / "Patches/rip/bin/locked.dll");
    EXPECT_EQ(String(WideString(question[2].c_str())).Std(), tree / "game/bin/locked.dll");
    // The tick that shows the question sends nothing else.
    EXPECT_NE(window.events[window.events.size() - 2][0], u"Repair.OnProgress");

    EXPECT_TRUE(step->OnCommand(PageCommand::RepairLockRetry, WideString()));
    ASSERT_TRUE(TickUntil(u"Repair.OnLockedFile"));
    EXPECT_TRUE(step->OnCommand(PageCommand::RepairLockAbort, WideString()));
    ASSERT_TRUE(TickUntil(u"Repair.OnFail"));
    EXPECT_EQ(window.events.back(), (EventRecord{u"Repair.OnFail", u"2", u"bin/locked.dll", u"5", u"5", u"0"}));
    EXPECT_TRUE(tree.Exists("game/bin/locked.dll/keep"));
}

TEST_F(RepairTest, AFullDiskIsPageCodeOne) {
    tree.WriteFile("game/bin/locked.dll/keep", "a folder where the file goes");
    const RefPtr<RipPatch> job = Job({{"bin/locked.dll", "fresh"}});
    const RefPtr<RepairState> step = Start(job.Get(), [](const String&, std::uint64_t& bytes) { return bytes = 0, true; });
    ASSERT_TRUE(TickUntil(u"Repair.OnFail"));
    EXPECT_EQ(window.events.back()[1], u"1");
    EXPECT_EQ(RepairFunctor::PageCode(RepairThread::kBadDownload), 0);
}

TEST_F(RepairTest, ReleasingTheStepDuringAQuestionEndsTheWorkerWithoutAnotherEvent) {
    tree.WriteFile("game/bin/locked.dll/keep", "a folder where the file goes");
    const RefPtr<RipPatch> job = Job({{"bin/locked.dll", "fresh"}, {"bin/after.dll", "after"}});
    RefPtr<RepairState> step = Start(job.Get());
    ASSERT_TRUE(TickUntil(u"Repair.OnLockedFile"));
    const std::size_t events = window.events.size();
    const auto before = std::chrono::steady_clock::now();
    step = nullptr;  // joins the worker, which gave up on the question
    EXPECT_LT(std::chrono::steady_clock::now() - before, 5s);
    timers.Advance(4 * RepairFunctor::kTickMs);
    EXPECT_EQ(window.events.size(), events);
    EXPECT_EQ(timers.ArmedCount(), 0u);
    EXPECT_FALSE(tree.Exists("game/bin/after.dll"));
    EXPECT_FALSE(tree.Exists("Patches/rip"));
    EXPECT_EQ(job->GetRip()->entries[1].code, 5);
}

TEST_F(RepairTest, TheProgressiveEditionDropsTheHubsCachesAfterAFullRepair) {
    const struct {
        bool progressive;
        bool minimumCheck;
        bool dropped;
    } cases[] = {{true, false, true}, {true, true, false}, {false, false, false}};
    const fs::path saved = fs::current_path();
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.progressive) + std::to_string(c.minimumCheck));
        Workflow::ProgressiveDownload() = c.progressive;
        Workflow::MinimumCheck() = c.minimumCheck;
        tree.WriteFile("game/data/Packs/main.xml", "<packs/>");
        tree.WriteFile("game/bin/VantryLight/VantryHub.ini", "hub");
        fs::current_path(tree / "game/bin");
        const RefPtr<RipPatch> job = Job({{"bin/a.dll", "code"}});
        {
            const RefPtr<RepairState> step = Start(job.Get());
            EXPECT_TRUE(TickUntil(u"Repair.OnSuccess"));
        }
        fs::current_path(saved);
        EXPECT_EQ(tree.Exists("game/data/Packs/main.xml"), !c.dropped);
        EXPECT_EQ(tree.Exists("game/bin/VantryLight/VantryHub.ini"), !c.dropped);
    }
}

TEST(RepairFunctorCreate, NeedsAViewParametersAndAJob) {
    RecordingWindow window;
    RefPtr<RepairView> view(new RepairView(&window));
    RefPtr<AppParams> params(new AppParams());
    RefPtr<Rip> rip(new Rip());
    RefPtr<RipPatch> job(new RipPatch(rip.Get(), WideString(u"rip/")));
    EXPECT_FALSE(RepairFunctor::Create(nullptr, params.Get(), job.Get()));
    EXPECT_FALSE(RepairFunctor::Create(view.Get(), nullptr, job.Get()));
    EXPECT_FALSE(RepairFunctor::Create(view.Get(), params.Get(), nullptr));
    EXPECT_TRUE(RepairFunctor::Create(view.Get(), params.Get(), job.Get()));
}

}  // namespace
