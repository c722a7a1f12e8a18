// The update container with stand-in steps, reached the way the page reaches it: 80
// puts it in the main-flow slot, the later codes go to it. Which step is current after
// each sequence, and whose patches can be found.
#include <gtest/gtest.h>

#include <vector>

#include "RecordingWindow.h"
#include "workflow/MainState.h"
#include "workflow/PageCommands.h"
#include "workflow/StateIds.h"
#include "workflow/patches/IPatchesDownloadFunctor.h"
#include "workflow/patches/PatchesRequestState.h"
#include "workflow/patches/VersionUpdateState.h"

namespace {

using namespace PageCommand;

class FakeRequest final : public IPatchesRequestFunctor {
public:
    FakeRequest(bool runs, PatchInfos* result) : runs_(runs), result_(result) {}
    bool Run() override { return runs_; }
    RefPtr<PatchInfos> GetResult() override { return result_; }

private:
    bool runs_;
    RefPtr<PatchInfos> result_;
};

class FakeDownload final : public IPatchesDownloadFunctor {
public:
    bool Run() override { return true; }
    RefPtr<CumulativePatch> GetResult() override { return nullptr; }
};

class FakeAttributeCheck final : public ICheckAttributesFunctor {
public:
    bool Run() override { return true; }
};

// What the next patch request made by the factory does.
struct Plan {
    bool created = true;
    bool runs = true;
};

TEST(VersionUpdateStateTest, SequencesOfCommands) {
    const RefPtr<PatchInfos> patches(new PatchInfos());
    const struct {
        const char* name;
        std::vector<int> commands;
        std::vector<Plan> requests;  // one per 30, in order
        bool lastAnswer;
        int currentStep;
    } cases[] = {
        {"the road starts with no step of its own yet", {VersionUpdate}, {}, false, -1},
        {"a request runs and stays current", {VersionUpdate, PatchesRequest}, {{}}, true, StateId::PatchesRequest},
        {"a request that cannot be made", {VersionUpdate, PatchesRequest}, {{false}}, false, -1},
        {"a request that does not start stays found", {VersionUpdate, PatchesRequest}, {{true, false}}, false,
         StateId::PatchesRequest},
        {"a new request replaces the step", {VersionUpdate, PatchesRequest, PatchesRequest}, {{}, {}}, true,
         StateId::PatchesRequest},
        {"the attribute check replaces the request", {VersionUpdate, PatchesRequest, CheckAttributesRun}, {{}}, true, -1},
        {"the request after the attribute check", {VersionUpdate, CheckAttributesRun, PatchesRequest}, {{}}, true,
         StateId::PatchesRequest},
        {"the download takes the request's patches", {VersionUpdate, PatchesRequest, PatchesDownload}, {{}}, true,
         StateId::PatchesDownload},
        {"the download without a request", {VersionUpdate, PatchesDownload}, {}, false, -1},
        {"a second download has no request to take", {VersionUpdate, PatchesRequest, PatchesDownload, PatchesDownload},
         {{}}, false, -1},
        {"the download after the attribute check", {VersionUpdate, PatchesRequest, CheckAttributesRun, PatchesDownload},
         {{}}, false, -1},
        {"the apply without a download ends the step", {VersionUpdate, PatchesRequest, PatchesApply}, {{}}, true, -1},
        {"a manual patch nobody chose keeps the step", {VersionUpdate, PatchesRequest, PatchesApplyManually}, {{}},
         false, StateId::PatchesRequest},
        {"80 again restarts inside the container", {VersionUpdate, PatchesRequest, VersionUpdate}, {{}}, false, -1},
        {"codes of other features are not the container's", {VersionUpdate, PatchesRequest, RipRequest}, {{}}, false,
         StateId::PatchesRequest},
        {"30 without the road", {PatchesRequest}, {}, false, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingWindow window;
        std::size_t made = 0;
        int containers = 0;
        FeatureFactories factories;
        factories.versionUpdate = [&](IMainWindow* w) {
            ++containers;
            FeatureStart container;
            VersionUpdateSteps steps;
            steps.attributeCheck = [](IMainWindow*) { return RefPtr<ICheckAttributesFunctor>(new FakeAttributeCheck()); };
            steps.patchesRequest = [&](IMainWindow* requestWindow) -> RefPtr<IPatchesRequestFunctor> {
                EXPECT_EQ(requestWindow, &window);
                const Plan plan = made < c.requests.size() ? c.requests[made] : Plan{};
                ++made;
                if (!plan.created) return nullptr;
                return RefPtr<IPatchesRequestFunctor>(new FakeRequest(plan.runs, patches.Get()));
            };
            steps.patchesDownload = [&](IMainWindow*, PatchInfos* given) -> RefPtr<IPatchesDownloadFunctor> {
                EXPECT_EQ(given, patches.Get());
                return RefPtr<IPatchesDownloadFunctor>(new FakeDownload());
            };
            container.state = new VersionUpdateState(w, steps);
            return container;
        };
        RefPtr<MainState> root(MainState::Create(&window, factories));
        bool answer = false;
        for (int code : c.commands) answer = root->OnCommand(code, WideString(u"ignored argument"));
        EXPECT_EQ(answer, c.lastAnswer);
        EXPECT_EQ(made, c.requests.size());
        EXPECT_LE(containers, 1);
        IState* slot = root->GetChild(MainState::kMainFlowKey);
        EXPECT_EQ(slot ? slot->GetId() : -1, c.currentStep);
        // Whose patches a download would take.
        auto* request = slot ? static_cast<PatchesRequestState*>(slot->FindState(StateId::PatchesRequest)) : nullptr;
        EXPECT_EQ(request != nullptr, c.currentStep == StateId::PatchesRequest);
        if (request) {
            EXPECT_EQ(request->Functor()->GetResult().Get(), patches.Get());
        }
        EXPECT_TRUE(window.events.empty());
    }
}

class FakeInitialCheck final : public IInitialCheckFunctor {
public:
    bool Run() override { return true; }
};

class FakeApply final : public IPatchesApplyFunctor {
public:
    explicit FakeApply(bool runs) : runs_(runs) {}
    bool Run() override { return runs_; }

private:
    bool runs_;
};

TEST(VersionUpdateStateTest, TheInitialCheckAndTheApplySteps) {
    const RefPtr<PatchInfos> patches(new PatchInfos());
    const struct {
        const char* name;
        std::vector<int> commands;
        bool checkMade = true;
        bool planChosen = false;  // the manual patch's dialogue
        bool applyMade = true;
        bool applyRuns = true;
        bool lastAnswer;
        int currentStep;
        int applies;  // apply steps made
    } cases[] = {
        {"80 starts the initial check", {VersionUpdate}, true, false, true, true, true, StateId::InitialCheck, 0},
        {"an initial check that cannot be made", {VersionUpdate}, false, false, true, true, false, -1, 0},
        {"a manual patch the player chose", {VersionUpdate, PatchesRequest, PatchesApplyManually}, true, true, true,
         true, true, -1, 1},
        {"a manual patch whose apply fails", {VersionUpdate, PatchesRequest, PatchesApplyManually}, true, true, true,
         false, false, -1, 1},
        {"a plan with no apply for it still counts as taken", {VersionUpdate, PatchesRequest, PatchesApplyManually},
         true, true, false, true, true, -1, 0},
        {"a cancelled manual patch changes nothing", {VersionUpdate, PatchesRequest, PatchesApplyManually}, true,
         false, true, true, false, StateId::PatchesRequest, 0},
        {"3000 finds no download", {VersionUpdate, PatchesApply}, true, false, true, true, true, -1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingWindow window;
        const RefPtr<CumulativePatch> plan(new CumulativePatch());
        int containers = 0;
        int applies = 0;
        FeatureFactories factories;
        factories.versionUpdate = [&](IMainWindow* w) {
            ++containers;
            VersionUpdateSteps steps;
            steps.initialCheck = [&](IMainWindow*) {
                return c.checkMade ? RefPtr<IInitialCheckFunctor>(new FakeInitialCheck()) : nullptr;
            };
            steps.patchesRequest = [&](IMainWindow*) {
                return RefPtr<IPatchesRequestFunctor>(new FakeRequest(true, patches.Get()));
            };
            steps.manualPatch = [&](IMainWindow* asked) {
                EXPECT_EQ(asked, &window);
                return c.planChosen ? plan : nullptr;
            };
            steps.patchesApply = [&](IMainWindow*, CumulativePatch* given) -> RefPtr<IPatchesApplyFunctor> {
                EXPECT_EQ(given, plan.Get());
                if (!c.applyMade) return nullptr;
                ++applies;
                return RefPtr<IPatchesApplyFunctor>(new FakeApply(c.applyRuns));
            };
            FeatureStart container;
            container.state = new VersionUpdateState(w, steps);
            return container;
        };
        RefPtr<MainState> root(MainState::Create(&window, factories));
        bool answer = false;
        for (int code : c.commands) answer = root->OnCommand(code, WideString(u"ignored argument"));
        EXPECT_EQ(answer, c.lastAnswer);
        EXPECT_EQ(containers, 1);
        EXPECT_EQ(applies, c.applies);
        IState* slot = root->GetChild(MainState::kMainFlowKey);
        ASSERT_NE(slot, nullptr);
        EXPECT_EQ(slot->GetId(), c.currentStep);
    }
}

class FinishedDownload final : public IPatchesDownloadFunctor {
public:
    explicit FinishedDownload(CumulativePatch* plan) : plan_(plan) {}
    bool Run() override { return true; }
    RefPtr<CumulativePatch> GetResult() override { return plan_; }

private:
    RefPtr<CumulativePatch> plan_;
};

TEST(VersionUpdateStateTest, TheInstallTakesThePlanOfTheDownloadThatIsTheCurrentStep) {
    const struct {
        const char* name;
        std::vector<int> commands;
        int applies;
    } cases[] = {
        {"right after the download", {VersionUpdate, PatchesRequest, PatchesDownload, PatchesApply}, 1},
        {"the download was replaced", {VersionUpdate, PatchesRequest, PatchesDownload, CheckAttributesRun, PatchesApply}, 0},
        {"a second install has no download to take", {VersionUpdate, PatchesRequest, PatchesDownload, PatchesApply, PatchesApply},
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingWindow window;
        const RefPtr<PatchInfos> patches(new PatchInfos());
        const RefPtr<CumulativePatch> plan(new CumulativePatch());
        int applies = 0;
        FeatureFactories factories;
        factories.versionUpdate = [&](IMainWindow* w) {
            VersionUpdateSteps steps;
            steps.initialCheck = [](IMainWindow*) { return RefPtr<IInitialCheckFunctor>(new FakeInitialCheck()); };
            steps.attributeCheck = [](IMainWindow*) { return RefPtr<ICheckAttributesFunctor>(new FakeAttributeCheck()); };
            steps.patchesRequest = [&](IMainWindow*) {
                return RefPtr<IPatchesRequestFunctor>(new FakeRequest(true, patches.Get()));
            };
            steps.patchesDownload = [&](IMainWindow*, PatchInfos*) {
                return RefPtr<IPatchesDownloadFunctor>(new FinishedDownload(plan.Get()));
            };
            steps.patchesApply = [&](IMainWindow*, CumulativePatch* given) -> RefPtr<IPatchesApplyFunctor> {
                EXPECT_EQ(given, plan.Get());
                ++applies;
                return RefPtr<IPatchesApplyFunctor>(new FakeApply(true));
            };
            FeatureStart container;
            container.state = new VersionUpdateState(w, steps);
            return container;
        };
        RefPtr<MainState> root(MainState::Create(&window, factories));
        for (int code : c.commands) root->OnCommand(code, WideString());
        EXPECT_EQ(applies, c.applies);
    }
}

}  // namespace
