// The repair container with stand-in full checks: which commands start a step, which
// step is current afterwards, and which damaged-file list is handed on.
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

RefPtr<Rip> TwoDamagedFiles() {
    RefPtr<Rip> rip(new Rip());
    rip->Append(WideString(u"bin/a.dll"), 10, 5);
    rip->Append(WideString(u"bin/b.dat"), 0, 3);
    return rip;
}

// What the next full check made by the factory will do.
struct Plan {
    bool created = true;
    bool runs = true;
    bool damaged = false;
};

TEST(VersionRepairStateTest, SequencesOfCommands) {
    const RefPtr<Rip> rip = TwoDamagedFiles();
    const struct {
        const char* name;
        std::vector<int> commands;
        std::vector<Plan> checks;  // one per full-check command, in order
        bool lastAnswer;
        int currentStep;
        bool ripKept;
    } cases[] = {
        {"a check runs and stays current", {FullCheckRun}, {{}}, true, StateId::FullCheck, false},
        {"the factory refuses", {FullCheckRun}, {{false}}, false, -1, false},
        {"the worker does not start", {FullCheckRun}, {{true, false}}, false, StateId::FullCheck, false},
        {"the request takes the damaged files", {FullCheckRun, RipRequest}, {{true, true, true}}, false, -1, true},
        {"a clean check hands on nothing", {FullCheckRun, RipRequest}, {{}}, false, -1, false},
        {"a repeated request keeps the earlier list", {FullCheckRun, RipRequest, RipRequest}, {{true, true, true}},
         false, -1, true},
        {"a clean check replaces an earlier list", {FullCheckRun, RipRequest, FullCheckRun, RipRequest},
         {{true, true, true}, {}}, false, -1, false},
        {"the version-file repair without a check", {RepairGameVersion}, {}, false, -1, false},
        {"a download without a request", {FullCheckRun, RipDownload}, {{true, true, true}}, false, -1, false},
        {"a repair without a download", {FullCheckRun, RipApply}, {{}}, false, -1, false},
        {"a new check replaces the step", {FullCheckRun, ProgressiveFullCheckRun}, {{}, {}}, true,
         StateId::FullCheck, false},
        {"codes of other features", {PatchesRequest, GameRun}, {}, false, -1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingWindow window;
        std::size_t made = 0;
        RefPtr<VersionRepairState> repair(new VersionRepairState(&window, [&](IMainWindow* w) -> RefPtr<IFullCheckFunctor> {
            EXPECT_EQ(w, &window);
            const Plan plan = made < c.checks.size() ? c.checks[made] : Plan{};
            ++made;
            if (!plan.created) return nullptr;
            return RefPtr<IFullCheckFunctor>(new FakeFullCheck(plan.runs, plan.damaged ? rip.Get() : nullptr));
        }));
        bool answer = false;
        for (int code : c.commands) answer = repair->OnCommand(code, WideString());
        EXPECT_EQ(made, c.checks.size());
        EXPECT_EQ(answer, c.lastAnswer);
        EXPECT_EQ(repair->GetId(), c.currentStep);
        EXPECT_EQ(repair->KeptRip() == rip.Get(), c.ripKept);
        EXPECT_TRUE(window.events.empty());
    }
}

TEST(VersionRepairStateTest, TheProgressiveCommandsSetTheMinimumCheckFirst) {
    RecordingWindow window;
    std::vector<bool> seen;
    RefPtr<VersionRepairState> repair(new VersionRepairState(&window, [&](IMainWindow*) -> RefPtr<IFullCheckFunctor> {
        seen.push_back(Workflow::MinimumCheck());
        return nullptr;
    }));
    repair->OnCommand(ProgressiveFullCheckRun, WideString());
    repair->OnCommand(ProgressiveMinimumCheckRun, WideString());
    repair->OnCommand(ProgressiveFullCheckRun, WideString());
    repair->OnCommand(FullCheckRun, WideString());  // leaves the value as it is
    EXPECT_EQ(seen, (std::vector<bool>{false, true, false, false}));
    Workflow::MinimumCheck() = true;
}

}  // namespace
