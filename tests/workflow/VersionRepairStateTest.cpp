// The repair container with stand-in steps: which commands start a step, which step is
// current afterwards, and what each step is handed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RecordingWindow.h"
#include "workflow/PageCommands.h"
#include "workflow/StateIds.h"
#include "workflow/WorkflowValues.h"
#include "workflow/repair/VersionRepairState.h"

namespace {

using namespace PageCommand;

class FakeFullCheck final : public IFullCheckFunctor {
public:
    FakeFullCheck(bool runs, Rip* result) : runs_(runs), result_(result) {}
    bool Run() override { return runs_; }
    RefPtr<Rip> GetResult() override { return result_; }

private:
    bool runs_;
    RefPtr<Rip> result_;
};

class FakeRipRequest final : public IRipRequestFunctor {
public:
    explicit FakeRipRequest(RipPatchInfo* result) : result_(result) {}
    bool Run() override { return true; }
    RefPtr<RipPatchInfo> GetResult() override { return result_; }

private:
    RefPtr<RipPatchInfo> result_;
};

class FakeRipDownload final : public IRipDownloadFunctor {
public:
    explicit FakeRipDownload(RipPatch* result) : result_(result) {}
    bool Run(WideString* name) override { return name == nullptr; }
    RefPtr<RipPatch> GetResult() override { return result_; }

private:
    RefPtr<RipPatch> result_;
};

struct FakeRepair final : IRepairFunctor {
    bool Run() override { return true; }
    void Abort() override { ++aborts; }
    void Retry() override { ++retries; }
    int aborts = 0;
    int retries = 0;
};

RefPtr<Rip> TwoDamagedFiles() {
    RefPtr<Rip> rip(new Rip());
    rip->Append(WideString(u"bin/a.dll"), 10, 5);
    rip->Append(WideString(u"bin/b.dat"), 0, 3);
    return rip;
}

// A full check that found the damaged files ('d'), found none ('c'), could not be made
// ('n') or did not start ('s'), in the order of the check commands.
struct Fixture {
    std::string checks;
    std::size_t checksMade = 0;
    RefPtr<Rip> rip = TwoDamagedFiles();
    RefPtr<RipPatchInfo> info = new RipPatchInfo();
    RefPtr<RipPatch> job;
    std::vector<bool> requestModes;
    std::vector<Rip*> downloadRips;
    std::vector<RipPatch*> repairJobs;
    RefPtr<FakeRepair> repair;

    VersionRepairSteps Steps() {
        VersionRepairSteps steps;
        steps.fullCheck = [this](IMainWindow*) -> RefPtr<IFullCheckFunctor> {
            const char plan = checksMade < checks.size() ? checks[checksMade] : 'c';
            ++checksMade;
            if (plan == 'n') return nullptr;
            return RefPtr<IFullCheckFunctor>(new FakeFullCheck(plan != 's', plan == 'd' ? rip.Get() : nullptr));
        };
        steps.ripRequest = [this](IMainWindow*, bool versionFileOnly) -> RefPtr<IRipRequestFunctor> {
            requestModes.push_back(versionFileOnly);
            return RefPtr<IRipRequestFunctor>(new FakeRipRequest(info.Get()));
        };
        steps.ripDownload = [this](IMainWindow*, Rip* r, RipPatchInfo* i) -> RefPtr<IRipDownloadFunctor> {
            EXPECT_EQ(i, info.Get());
            downloadRips.push_back(r);
            job = new RipPatch(r, WideString(u"../Patches/rip/"));
            return RefPtr<IRipDownloadFunctor>(new FakeRipDownload(job.Get()));
        };
        steps.repair = [this](IMainWindow*, RipPatch* j) -> RefPtr<IRepairFunctor> {
            repairJobs.push_back(j);
            repair = new FakeRepair();
            return RefPtr<IRepairFunctor>(repair.Get());
        };
        return steps;
    }
};

TEST(VersionRepairStateTest, SequencesOfCommands) {
    const int none = -1;
    const struct {
        const char* name;
        std::vector<int> commands;
        std::string checks;
        bool lastAnswer;
        int currentStep;
        bool ripKept;
        std::vector<bool> requestModes;
        std::size_t downloads;
        std::size_t repairs;
    } cases[] = {
        {"a check runs and stays current", {FullCheckRun}, "d", true, StateId::FullCheck, false, {}, 0, 0},
        {"the factory refuses", {FullCheckRun}, "n", false, none, false, {}, 0, 0},
        {"the worker does not start", {FullCheckRun}, "s", false, StateId::FullCheck, false, {}, 0, 0},
        {"the whole road", {FullCheckRun, RipRequest, RipDownload, RipApply}, "d", true, none, true, {false}, 1, 1},
        {"the request takes the damaged files", {FullCheckRun, RipRequest}, "d", true, StateId::RipRequest, true,
         {false}, 0, 0},
        {"a clean check hands on nothing", {FullCheckRun, RipRequest, RipDownload}, "c", false, none, false, {false}, 0, 0},
        {"a repeated request keeps the earlier list", {FullCheckRun, RipRequest, RipRequest, RipDownload}, "d", true,
         StateId::RipDownload, true, {false, false}, 1, 0},
        {"a clean check replaces an earlier list", {FullCheckRun, RipRequest, FullCheckRun, RipRequest, RipDownload},
         "dc", false, none, false, {false, false}, 0, 0},
        {"the version-file repair without a check", {RepairGameVersion}, "", true, StateId::RipRequest, false, {true}, 0, 0},
        {"a download without a request", {FullCheckRun, RipDownload}, "d", false, none, false, {}, 0, 0},
        {"a repair without a download", {FullCheckRun, RipRequest, RipApply}, "d", false, none, true, {false}, 0, 0},
        {"a repeated repair", {FullCheckRun, RipRequest, RipDownload, RipApply, RipApply}, "d", false, none, true,
         {false}, 1, 1},
        {"a download repeated after its request went", {FullCheckRun, RipRequest, RipDownload, RipDownload}, "d", false,
         none, true, {false}, 1, 0},
        {"a new check replaces the step", {FullCheckRun, ProgressiveFullCheckRun}, "cc", true, StateId::FullCheck,
         false, {}, 0, 0},
        {"codes of other features", {PatchesRequest, GameRun}, "", false, none, false, {}, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingWindow window;
        Fixture fixture;
        fixture.checks = c.checks;
        RefPtr<VersionRepairState> repair(new VersionRepairState(&window, fixture.Steps()));
        bool answer = false;
        for (int code : c.commands) answer = repair->OnCommand(code, WideString());
        EXPECT_EQ(answer, c.lastAnswer);
        EXPECT_EQ(repair->GetId(), c.currentStep);
        EXPECT_EQ(repair->KeptRip() == fixture.rip.Get(), c.ripKept);
        EXPECT_EQ(fixture.requestModes, c.requestModes);
        EXPECT_EQ(fixture.downloadRips.size(), c.downloads);
        for (Rip* handed : fixture.downloadRips) EXPECT_EQ(handed, fixture.rip.Get());
        EXPECT_EQ(fixture.repairJobs.size(), c.repairs);
        for (RipPatch* handed : fixture.repairJobs) EXPECT_EQ(handed, fixture.job.Get());
        EXPECT_TRUE(window.events.empty());
    }
}

TEST(VersionRepairStateTest, TheLockedFileAnswersGoToTheRepairStepOnly) {
    RecordingWindow window;
    Fixture fixture;
    fixture.checks = "d";
    RefPtr<VersionRepairState> repair(new VersionRepairState(&window, fixture.Steps()));
    EXPECT_FALSE(repair->OnCommand(RepairLockRetry, WideString()));
    for (int code : {FullCheckRun, RipRequest, RipDownload, RipApply}) repair->OnCommand(code, WideString());
    ASSERT_TRUE(fixture.repair);
    EXPECT_TRUE(repair->OnCommand(RepairLockRetry, WideString()));
    EXPECT_TRUE(repair->OnCommand(RepairLockAbort, WideString()));
    EXPECT_TRUE(repair->OnCommand(RepairLockAbort, WideString()));
    EXPECT_EQ(fixture.repair->retries, 1);
    EXPECT_EQ(fixture.repair->aborts, 2);
    EXPECT_EQ(fixture.repairJobs.size(), 1u);  // the answers started nothing
}

TEST(VersionRepairStateTest, TheProgressiveCommandsSetTheMinimumCheckFirst) {
    RecordingWindow window;
    std::vector<bool> seen;
    VersionRepairSteps steps;
    steps.fullCheck = [&](IMainWindow*) -> RefPtr<IFullCheckFunctor> {
        seen.push_back(Workflow::MinimumCheck());
        return nullptr;
    };
    RefPtr<VersionRepairState> repair(new VersionRepairState(&window, steps));
    repair->OnCommand(ProgressiveFullCheckRun, WideString());
    repair->OnCommand(ProgressiveMinimumCheckRun, WideString());
    repair->OnCommand(ProgressiveFullCheckRun, WideString());
    repair->OnCommand(FullCheckRun, WideString());  // leaves the value as it is
    EXPECT_EQ(seen, (std::vector<bool>{false, true, false, false}));
    Workflow::MinimumCheck() = true;
}

}  // namespace
