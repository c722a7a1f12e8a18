// The root of the workflow on a recording window: the order in which children are
// offered a command, replacement before creation, states that release themselves or
// their siblings during their own command, and the root's own commands.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "shell/AppParams.h"
#include "RecordingWindow.h"
#include "support/ArgvRecord.h"
#include "support/TempDir.h"
#include "workflow/MainState.h"
#include "workflow/PageCommands.h"
#include "workflow/SingleState.h"
#include "workflow/WorkflowValues.h"

namespace {

using Log = std::vector<std::string>;

std::u16string U(const WideString& text) { return text.Std(); }
WideString W(const std::u16string& text) { return WideString(text.data(), text.data() + text.size()); }

// Takes the codes it is given, logs every offer and its own end, and can run a
// side effect inside its command.
class RecordingState final : public IState {
public:
    RecordingState(std::string name, Log& log, std::set<int> accepted)
        : name_(std::move(name)), log_(log), accepted_(std::move(accepted)) {}

    bool OnCommand(int code, const WideString&) override {
        log_.push_back(name_ + ":" + std::to_string(code));
        if (during) during();
        return accepted_.count(code) != 0;
    }

    std::function<void()> during;

private:
    ~RecordingState() override { log_.push_back("~" + name_); }

    std::string name_;
    Log& log_;
    std::set<int> accepted_;
};

struct MainStateTest : ::testing::Test {
    RecordingWindow window;
    Log log;
    FeatureFactories factories;
    RefPtr<MainState> root;

    // A feature whose state takes the given codes; its start is logged too.
    FeatureFactory Feature(const std::string& name, std::set<int> accepted, bool startResult = true) {
        return [this, name, accepted, startResult](IMainWindow* w) {
            EXPECT_EQ(w, &window);
            log.push_back("create " + name);
            FeatureStart start;
            start.state = new RecordingState(name, log, accepted);
            start.start = [this, name, startResult](const WideString& argument) {
                log.push_back("start " + name + "(" + String(argument).Std() + ")");
                return startResult;
            };
            return start;
        };
    }
    void MakeRoot() { root = MainState::Create(&window, factories); }
    bool Command(int code, const std::u16string& argument = u"") { return root->OnCommand(code, W(argument)); }
};

TEST_F(MainStateTest, ChildrenAreOfferedInKeyOrderAndTheFirstTakerWins) {
    factories.prefs = Feature("prefs", {201});
    factories.locale = Feature("locale", {100, 201});
    factories.game = Feature("game", {700});
    MakeRoot();
    EXPECT_TRUE(Command(PageCommand::GameSetReady));
    EXPECT_TRUE(Command(PageCommand::LocaleLoad));
    EXPECT_TRUE(Command(PageCommand::PrefsLoad, u"true"));
    log.clear();

    EXPECT_TRUE(Command(201));   // prefs at key 1 is asked before locale at key 2
    EXPECT_TRUE(Command(700));   // passes prefs and locale, taken at key 3
    EXPECT_FALSE(Command(4242)); // nobody, and the root switch knows nothing of it
    EXPECT_EQ(log, (Log{"prefs:201", "prefs:700", "locale:700", "game:700", "prefs:4242", "locale:4242",
                        "game:4242"}));
}

TEST_F(MainStateTest, AStartReleasesThePreviousStateBeforeCreatingTheNextOne) {
    factories.game = Feature("game", {});
    factories.fastCheck = Feature("check", {}, false);
    MakeRoot();
    EXPECT_TRUE(Command(PageCommand::GameSetReady));
    EXPECT_TRUE(Command(PageCommand::GameSetReady));
    EXPECT_FALSE(Command(PageCommand::FastCheckRun));  // the functor's start answers false
    EXPECT_TRUE(Command(PageCommand::Break));
    EXPECT_EQ(root->GetChild(MainState::kMainFlowKey), nullptr);
    EXPECT_EQ(log, (Log{"create game", "start game()", "game:70", "~game", "create game", "start game()",
                        "game:40", "~game", "create check", "start check()", "check:0", "~check"}));
}

TEST_F(MainStateTest, FeaturesNotBuiltYetAnswerFalseAndLeaveTheirKeyEmpty) {
    factories.game = Feature("game", {});
    factories.locale = [](IMainWindow*) { return FeatureStart{}; };  // an input was missing
    MakeRoot();
    EXPECT_TRUE(Command(PageCommand::GameSetReady));
    for (int code : {10, 20, 25, 40, 50, 80, 501, 502, 2700}) EXPECT_FALSE(Command(code)) << code;
    // Every main-flow start cleared key 3 first.
    EXPECT_EQ(root->GetChild(MainState::kMainFlowKey), nullptr);
    EXPECT_EQ(root->GetChild(MainState::kLocaleKey), nullptr);
    EXPECT_TRUE(window.events.empty());
}

TEST_F(MainStateTest, ContainersGetTheStartingCommandThemselvesAndKeepWhatTheyTake) {
    factories.versionRepair = Feature("repair", {50});
    MakeRoot();
    Workflow::MinimumCheck() = true;
    EXPECT_FALSE(Command(PageCommand::ProgressiveFullCheckRun));  // the container's own answer
    EXPECT_FALSE(Workflow::MinimumCheck());
    EXPECT_TRUE(Command(PageCommand::FullCheckRun));  // taken by the container held at key 3
    EXPECT_FALSE(Command(PageCommand::ProgressiveMinimumCheckRun));
    EXPECT_TRUE(Workflow::MinimumCheck());
    // The container's start operation is not called: the code is forwarded. A
    // container that refused its own starting command is not replaced by another one
    // of its kind, which would only refuse (and tell the page) a second time.
    EXPECT_EQ(log, (Log{"create repair", "repair:501", "repair:50", "repair:502"}));
}

TEST_F(MainStateTest, StatesMayReleaseThemselvesAndTheirSiblingsDuringTheirOwnCommand) {
    MakeRoot();
    auto* prefs = new RecordingState("prefs", log, {});
    auto* locale = new RecordingState("locale", log, {});
    auto* flow = new RecordingState("flow", log, {99});
    root->SetChild(1, prefs);
    root->SetChild(2, locale);
    root->SetChild(3, flow);
    // prefs drops itself and locale, and puts a new state at key 2 that is then asked.
    prefs->during = [&] {
        auto* fresh = new RecordingState("fresh", log, {});
        root->SetChild(1, nullptr);
        root->SetChild(2, fresh);
    };
    // flow drops the whole tree from under the call.
    flow->during = [&] { root.Reset(); };
    RefPtr<MainState> keep = root;
    EXPECT_TRUE(keep->OnCommand(99, WideString()));
    EXPECT_EQ(log, (Log{"prefs:99", "~locale", "~prefs", "fresh:99", "flow:99"}));
    keep.Reset();  // the last holder: the tree goes now, under ASan without a stale read
    EXPECT_EQ(log, (Log{"prefs:99", "~locale", "~prefs", "fresh:99", "flow:99", "~fresh", "~flow"}));
}

TEST_F(MainStateTest, SingleStateKeepsItselfAndItsStepThroughAReplacement) {
    RefPtr<SingleState> container(new SingleState);
    auto* step = new RecordingState("step", log, {5});
    container->SetStep(step);
    step->during = [&] {
        container->SetStep(new RecordingState("next", log, {}));
        container.Reset();
    };
    RefPtr<SingleState> keep = container;
    EXPECT_TRUE(keep->OnCommand(5, WideString()));
    EXPECT_EQ(log, (Log{"step:5", "~step"}));
    keep.Reset();
    EXPECT_EQ(log, (Log{"step:5", "~step", "~next"}));
}

TEST_F(MainStateTest, ReservedChannelReadsOnlySaneSpeeds) {
    MakeRoot();
    const struct {
        const char16_t* argument;
        float expected;
    } cases[] = {
        {u"true", 200.0f},       {u"true:150.5", 150.5f}, {u"true:-5", 0.0f},     {u"false:300", 0.0f},
        {u"", 0.0f},             {u"true:nan", 0.0f},     {u"true:inf", 0.0f},    {u"true:-inf", 0.0f},
        {u"true:abc", 0.0f},     {u"true:1e30", MainState::kMaxChannelKBps},      {u"1:10:20", 10.0f},
    };
    for (const auto& c : cases) {
        Workflow::RequestedChannel() = 12345.0f;
        EXPECT_TRUE(Command(PageCommand::ReserveDownloadChannel, c.argument));
        EXPECT_TRUE(std::isfinite(Workflow::RequestedChannel()));
        EXPECT_EQ(Workflow::RequestedChannel(), c.expected) << String(WideString(c.argument)).Std();
    }
}

TEST_F(MainStateTest, ServerListNeedsBothPieces) {
    MakeRoot();
    Workflow::ChnServerList() = {false, String("old")};
    EXPECT_TRUE(Command(PageCommand::LocaleSetData, u"1"));
    EXPECT_EQ(Workflow::ChnServerList().srvlistUrl.Std(), "old");
    EXPECT_TRUE(Command(PageCommand::LocaleSetData, u"true|http://list.example/a|b"));
    EXPECT_TRUE(Workflow::ChnServerList().isChn);
    EXPECT_EQ(Workflow::ChnServerList().srvlistUrl.Std(), "http://list.example/a");
}

TEST_F(MainStateTest, EchoedTextsGoOutAsTheyCameAndALoginLosesItsLineBreaks) {
    MakeRoot();
    const std::u16string tricky = u"\"q\" </script> \u2028";
    EXPECT_FALSE(Command(PageCommand::FrameLoad, tricky));  // sent, but not taken
    RefPtr<AppParams> params(new AppParams);
    SetAppParams(params.Get());
    std::u16string login = u"player\r\nuploadLimit = 1";
    login.push_back(u'\0');
    login += u"x";
    EXPECT_TRUE(Command(PageCommand::SetLogin, login));
    SetAppParams(nullptr);
    EXPECT_EQ(U(params->login), u"playeruploadLimit = 1x");
    EXPECT_EQ(window.events, (std::vector<std::vector<std::u16string>>{{u"Launcher.OnFrameLoad", tricky},
                                                                       {u"Launcher.SetLogin",
                                                                        u"playeruploadLimit = 1x"}}));
}

TEST_F(MainStateTest, DemoCommandsFollowTheDemoStateAndNeverReplaceAnOldMarker) {
    TempDir dir;
    RefPtr<AppParams> params(new AppParams);
    params->demoPath = WideString(String(dir / "bin/demo.bin"));
    SetAppParams(params.Get());
    MakeRoot();

    params->demoState = 1;
    EXPECT_FALSE(Command(PageCommand::DemoDownloadFullVersion));  // no marker: nothing sent
    dir.WriteFile("bin/demo.bin", "marker");
    dir.WriteFile("bin/demo.old", "older");
    EXPECT_FALSE(Command(PageCommand::DemoDownloadFullVersion));  // demo.old is in the way
    EXPECT_EQ(dir.ReadFile("bin/demo.old"), "older");
    EXPECT_EQ(dir.ReadFile("bin/demo.bin"), "marker");
    EXPECT_TRUE(window.events.empty());

    std::remove((dir / "bin/demo.old").c_str());
    EXPECT_TRUE(Command(PageCommand::DemoAskForFullVersion));
    EXPECT_TRUE(Command(PageCommand::DemoDownloadFullVersion));
    EXPECT_FALSE(dir.Exists("bin/demo.bin"));
    EXPECT_EQ(dir.ReadFile("bin/demo.old"), "marker");
    EXPECT_FALSE(Command(PageCommand::DemoDownloadFullCancel));  // only in demo state 2

    params->demoState = 2;
    EXPECT_FALSE(Command(PageCommand::DemoAskForFullVersion));
    EXPECT_TRUE(Command(PageCommand::DemoDownloadFullCancel));
    EXPECT_EQ(params->demoState, 3);
    SetAppParams(nullptr);
    EXPECT_EQ(window.events, (std::vector<std::vector<std::u16string>>{
                                 {u"App.AskForFullVersion"}, {u"App.DemoDownloadFullVersion"}, {u"App.DoExit"}}));
}

TEST_F(MainStateTest, RestartsEndTheDialogWithTwo) {
    MakeRoot();  // no run parameters: nothing is started
    EXPECT_TRUE(Command(PageCommand::RunNewLauncher));
    EXPECT_TRUE(Command(PageCommand::Restart));
    EXPECT_EQ(window.ended, (std::vector<int>{2, 2}));
}

TEST_F(MainStateTest, TheFirewallToolOpensTheSettingsOrNamesThePortsTheFirewallMustAdmit) {
    MakeRoot();
    TempDir tools;
    const char* path = std::getenv("PATH");
    const std::string savedPath = path ? path : "";
    ::setenv("PATH", tools.Path().c_str(), 1);

    // No settings tool on the PATH: the page hears which ports to admit.
    EXPECT_FALSE(Command(PageCommand::OpenFirewallSettings));
    EXPECT_EQ(window.events, (std::vector<std::vector<std::u16string>>{
                                 {u"Launcher.OnFirewallSettingsMissing", u"6968", u"6978"}}));

    // With one, it is started and nothing is said.
    window.events.clear();
    std::filesystem::copy_file(ARGV_RECORDER_PATH, tools / "firewall-config");
    ::setenv("ARGV_RECORDER_OUT", (tools / "record").c_str(), 1);
    EXPECT_TRUE(Command(PageCommand::OpenFirewallSettings));
    ArgvRecord record;
    EXPECT_TRUE(WaitForArgvRecord(tools / "record", 10000, record));
    ::unsetenv("ARGV_RECORDER_OUT");
    ::setenv("PATH", savedPath.c_str(), 1);
    EXPECT_TRUE(window.events.empty());
    ASSERT_EQ(record.argv.size(), 1u);
    EXPECT_EQ(std::filesystem::path(record.argv[0]).filename(), "firewall-config");
}

}  // namespace
