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
        {"the apply without a download", {VersionUpdate, PatchesRequest, PatchesApply}, {{}}, false, -1},
        {"the manual patch", {VersionUpdate, PatchesRequest, PatchesApplyManually}, {{}}, false, -1},
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

}  // namespace
