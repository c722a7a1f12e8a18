// The game start as the page drives it: the game state and its functor on a recording
// window with a manual clock, starting the real sample game (tools/sample-game) from a
// temporary game tree in each of its modes. The game runs in real time, so the tests
// tick the monitor in 500 ms steps until it has reported, within a bound.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "workflow/RecordingWindow.h"
#include "base/runtime/StrUtil.h"
#include "shell/AppParams.h"
#include "shell/LauncherConfig.h"
#include "support/AnotherUser.h"
#include "support/ArgvRecord.h"
#include "support/GameTree.h"
#include "support/MainContextPump.h"
#include "support/RequiredEnvironment.h"
#include "support/ManualTimerHost.h"
#include "support/ZipBuilder.h"
#include "workflow/MainState.h"
#include "workflow/PageCommands.h"
#include "workflow/Settings.h"
#include "workflow/StateIds.h"
#include "workflow/WorkflowValues.h"
#include "workflow/game/GameFunctor.h"
#include "workflow/game/GameState.h"
#include "workflow/game/PasswordCipher.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

WideString W(const std::u16string& text) { return WideString(text.data(), text.data() + text.size()); }

bool ProcessGone(pid_t pid) { return !fs::exists("/proc/" + std::to_string(pid)); }

// A state that takes nothing and stands for whatever step the game state holds.
struct InertState final : IState {
    bool OnCommand(int, const WideString&) override { return false; }
    int id = -1;
    int GetId() const override { return id; }
};

class GameStartTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy_file(SAMPLE_GAME_PATH, tree / "bin/ZIrira.exe");
        params = new AppParams();
        params->gameRoot = W(u"../");
        params->patchesDir = WideString(String((tree / "Patches/").c_str()));
        SetAppParams(params.Get());
        LoadUserSettings(WideString(String((tree / "Personal/Global.cfg").c_str())));
        setenv("SAMPLE_GAME_STATUS_NAME", statusName.c_str(), 1);
        setenv("SAMPLE_GAME_RECORD", (tree / "record").c_str(), 1);
        setenv("SAMPLE_GAME_ENV_RECORD", (tree / "environment").c_str(), 1);
        setenv("SAMPLE_GAME_LINGER_MS", "20000", 1);
        // Headless, whatever the developer's session: the sample game must not open windows.
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
    }

    void TearDown() override {
        EndLastGame();
        for (const char* name : {"SAMPLE_GAME_MODE", "SAMPLE_GAME_STATUS_NAME", "SAMPLE_GAME_RECORD",
                                 "SAMPLE_GAME_ENV_RECORD", "SAMPLE_GAME_LINGER_MS", "ARGV_RECORDER_ENV_OUT",
                                 "ARGV_RECORDER_OUT"})
            unsetenv(name);
        shm_unlink(statusName.c_str());
        state = nullptr;
        SetAppParams(nullptr);
        AuthKey() = WideString();
        Workflow::ProgressiveDownload() = false;
        Settings::vantry_project_id.SetInt(0);
    }

    GameFunctor::Options Options(bool monitored = true) const {
        GameFunctor::Options options;
        options.monitoredStart = monitored;
        options.statusWordName = statusName;
        options.binFolder = tree / "bin";
        return options;
    }

    GameFunctor& Start(const char* mode, bool monitored = true) {
        setenv("SAMPLE_GAME_MODE", mode, 1);
        view = new GameView(&window);
        functor = GameFunctor::Create(view.Get(), Options(monitored));
        state = new GameState(functor.Get(), &window);
        return *functor;
    }

    bool Command(int code, const std::u16string& argument = u"") { return state->OnCommand(code, W(argument)); }

    // Ticks the monitor until the page has been sent count events, within a bound.
    bool TickUntilEvents(std::size_t count) {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (window.events.size() < count && std::chrono::steady_clock::now() < deadline) {
            timers.Advance(GameFunctor::kMonitorTickMs);
            std::this_thread::sleep_for(2ms);
        }
        return window.events.size() >= count;
    }

    // The game this test started, if it still runs, is ended and reaped.
    static void EndLastGame() {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        if (IsGameRunning()) ProcessHandle::Open(GameProcessId()).Kill();
        while (IsGameRunning() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(2ms);
    }

    std::vector<std::string> GameEnvironment() {
        std::vector<std::string> entries;
        EXPECT_TRUE(WaitForEnvironmentRecord(tree / "environment", 10000, entries));
        fs::remove(tree / "environment");
        return entries;
    }

    GameTree tree;
    std::string statusName = "/launcher-game-test-" + std::to_string(getpid());
    RefPtr<AppParams> params;
    ManualTimerHost timers;
    RecordingWindow window{&timers};
    RefPtr<GameView> view;
    RefPtr<GameFunctor> functor;
    RefPtr<GameState> state;
};

const EventRecord kPreRun{u"Game.OnPreRun"};
const EventRecord kRun{u"Game.OnRun"};
EventRecord StartError(const std::u16string& code) { return {u"Game.OnStartError", code}; }

TEST_F(GameStartTest, AGameThatPublishesZeroRunsAndOnlyThenCanBeStartedAgain) {
    GameFunctor& game = Start("status:0");
    ASSERT_TRUE(Command(PageCommand::GameRun, u"player<=>secret"));
    EXPECT_EQ(window.events, std::vector<EventRecord>{kPreRun});
    EXPECT_TRUE(game.IsStartPending());
    // While the start is pending, another 700 is refused without a word.
    EXPECT_FALSE(Command(PageCommand::GameRun, u"player<=>secret"));
    EXPECT_EQ(window.events.size(), 1u);

    ASSERT_TRUE(TickUntilEvents(2));
    EXPECT_EQ(window.events, (std::vector<EventRecord>{kPreRun, kRun}));
    EXPECT_FALSE(game.IsStartPending());
    EXPECT_EQ(timers.ArmedCount(), 0u);  // the monitor has stopped
    const pid_t first = GameProcessId();
    EXPECT_TRUE(IsGameRunning());
    // Without a display to ask, the running game counts as in front.
    EXPECT_TRUE(IsGameForeground());

    // A second start replaces the first game's handle; the first game, ended, is still reaped.
    ASSERT_TRUE(Command(PageCommand::GameRun, u"player<=>secret"));
    ASSERT_TRUE(TickUntilEvents(4));
    EXPECT_EQ(window.events.back(), kRun);
    EXPECT_NE(GameProcessId(), first);
    ASSERT_TRUE(ProcessHandle::Open(first).Kill());
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!ProcessGone(first) && std::chrono::steady_clock::now() < deadline) {
        PumpPending();
        std::this_thread::sleep_for(2ms);
    }
    EXPECT_TRUE(ProcessGone(first)) << "the replaced game was left a zombie";
}

TEST_F(GameStartTest, EveryOtherOutcomeIsAStartErrorWithItsCode) {
    const struct {
        const char* mode;
        EventRecord outcome;
        bool ends;  // the game has ended by the time it is reported
    } cases[] = {
        {"status:5", StartError(u"5"), false},
        {"status:-3", StartError(u"-3"), false},
        {"exit:3", StartError(u"3"), true},
        {"exit:127", StartError(u"-1"), true},  // the program could not be run
        {"crash", StartError(u"-1"), true},
        {"exit:0", kRun, true},  // an exit code of 0 before any status reads as a start
    };
    for (const auto& c : cases) {
        window.events.clear();
        Start(c.mode);
        ASSERT_TRUE(Command(PageCommand::GameRun, u"player<=>secret")) << c.mode;
        ASSERT_TRUE(TickUntilEvents(2)) << c.mode;
        EXPECT_EQ(window.events, (std::vector<EventRecord>{kPreRun, c.outcome})) << c.mode;
        EXPECT_FALSE(functor->IsStartPending());
        EXPECT_EQ(IsGameRunning(), !c.ends) << c.mode;
        if (c.ends) {
            EXPECT_TRUE(ProcessGone(GameProcessId())) << c.mode << ": not reaped";
        }
        EndLastGame();
    }
}

TEST_F(GameStartTest, AGameThatNeverPublishesIsWaitedForUntilItEnds) {
    // A word from an earlier game must not be taken for this one's.
    const int fd = shm_open(statusName.c_str(), O_CREAT | O_RDWR, 0600);
    const std::int32_t stale = 9;
    ASSERT_EQ(write(fd, &stale, sizeof stale), 4);
    close(fd);

    setenv("SAMPLE_GAME_LINGER_MS", "400", 1);
    Start("silent:4");
    ASSERT_TRUE(Command(PageCommand::GameRun, u"player<=>secret"));
    int ticksWhileRunning = 0;
    while (IsGameRunning() && ticksWhileRunning < 100) {
        timers.Advance(GameFunctor::kMonitorTickMs);
        if (window.events.size() == 1) ++ticksWhileRunning;
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_GT(ticksWhileRunning, 3);
    ASSERT_TRUE(TickUntilEvents(2));
    EXPECT_EQ(window.events, (std::vector<EventRecord>{kPreRun, StartError(u"4")}));
}

TEST_F(GameStartTest, AStatusWordOfAnotherUserIsNotWatchableWhateverItSays) {
    if (!CanActAsAnotherUser()) SKIP_UNLESS_REQUIRED("only root can leave an object of another user");
    Start("silent:4");
    ASSERT_TRUE(Command(PageCommand::GameRun, u"player<=>secret"));
    // Another user makes the machine's one name first and writes "started" into it.
    const int fd = shm_open(statusName.c_str(), O_CREAT | O_EXCL | O_RDWR, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(GiveToAnotherUser(fd));
    const std::int32_t forged = 0;
    ASSERT_EQ(write(fd, &forged, sizeof forged), 4);
    close(fd);
    ASSERT_TRUE(TickUntilEvents(2));
    EXPECT_EQ(window.events, (std::vector<EventRecord>{kPreRun, StartError(u"-2")}));
    EXPECT_FALSE(functor->IsStartPending());
}

TEST_F(GameStartTest, AGameThatCannotBeStartedOrWatchedIsReportedAtOnce) {
    fs::remove(tree / "bin/ZIrira.exe");
    Start("status:0");
    EXPECT_FALSE(Command(PageCommand::GameRun, u"player<=>secret"));
    EXPECT_EQ(window.events, std::vector<EventRecord>{StartError(u"-2")});
    EXPECT_FALSE(functor->IsStartPending());
    EXPECT_EQ(timers.ArmedCount(), 0u);

    // Without a monitor no game is started at all.
    fs::copy_file(SAMPLE_GAME_PATH, tree / "bin/ZIrira.exe");
    window.events.clear();
    timers.FailNextArm();
    EXPECT_FALSE(Command(PageCommand::GameRun, u"player<=>secret"));
    EXPECT_EQ(window.events, std::vector<EventRecord>{StartError(u"-2")});
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(fs::exists(tree / "record"));
}

TEST_F(GameStartTest, APlainStartRunsAtOnceAndEveryCommandStartsAnotherGame) {
    Start("status:0", false);
    ASSERT_TRUE(Command(PageCommand::GameRun, u"player<=>secret"));
    EXPECT_EQ(window.events, std::vector<EventRecord>{kRun});
    EXPECT_EQ(timers.ArmedCount(), 0u);
    const pid_t first = GameProcessId();
    EXPECT_TRUE(IsGameRunning());
    ASSERT_TRUE(Command(PageCommand::GameRun, u"player<=>secret"));
    EXPECT_EQ(window.events, (std::vector<EventRecord>{kRun, kRun}));
    EXPECT_NE(GameProcessId(), first);
    ProcessHandle::Open(first).Kill();
}

TEST_F(GameStartTest, TheGameAloneGetsTheCredentialsAndTheKeyAsOneArgument) {
    AuthKey() = W(u"key with \"quotes\" and  blanks");
    Workflow::ProgressiveDownload() = true;
    Start("exit:0", false);
    ASSERT_TRUE(Command(PageCommand::GameRun, u"игрок<=>pass<=>word"));
    ArgvRecord record;
    ASSERT_TRUE(WaitForArgvRecord(tree / "record", 10000, record));
    EXPECT_EQ(record.workingDir, fs::canonical(tree / "bin").string());
    EXPECT_EQ(record.argv, (std::vector<std::string>{"ZIrira.exe", "-authkey", "key with \"quotes\" and  blanks",
                                                     "-vantry", "0"}));
    std::vector<std::string> environment = GameEnvironment();
    std::string login, password;
    ASSERT_TRUE(FindVariable(environment, "a_login", &login));
    ASSERT_TRUE(FindVariable(environment, "a_password", &password));
    EXPECT_EQ(login, "игрок");
    // Split at the first "<=>"; enciphered with this launcher process's key.
    EXPECT_EQ(password,
              String(PasswordCipher::Encipher(W(u"pass<=>word"), PasswordCipher::KeyForProcess(getpid()))).Std());
    EXPECT_EQ(password.size(), 48u);
    EXPECT_EQ(password.find_first_not_of("0123456789ABCDEF"), std::string::npos);
    // The launcher's own environment never held them.
    EXPECT_EQ(getenv("a_login"), nullptr);
    EXPECT_EQ(getenv("a_password"), nullptr);
    EXPECT_EQ(Settings::launcherLogin.GetWString().Std(), u"игрок");

    // A later game started without a login, and the payment updater, get neither.
    ASSERT_TRUE(Command(PageCommand::GameRun, u"no separator"));
    environment = GameEnvironment();
    EXPECT_FALSE(FindVariable(environment, "a_login"));
    EXPECT_FALSE(FindVariable(environment, "a_password"));
    std::string saved;
    ASSERT_TRUE(ReadWholeFile(tree / "Personal/Global.cfg", saved));
    EXPECT_NE(saved.find("launcherLogin = \"\""), std::string::npos) << saved;

    fs::copy_file(ARGV_RECORDER_PATH, tree / "bin/autoupdate.exe");
    fs::create_directories(tree / "bin/ePay_original");
    fs::copy_file(ARGV_RECORDER_PATH, tree / "bin/ePay_original/autoupdate.exe");
    setenv("ARGV_RECORDER_ENV_OUT", (tree / "updater-environment").c_str(), 1);
    window.events.clear();
    EXPECT_TRUE(Command(PageCommand::GameStartEpayAutoupdate));
    EXPECT_EQ(window.events, (std::vector<EventRecord>{{u"Game.OnReady", u"29"}}));
    ASSERT_TRUE(WaitForEnvironmentRecord(tree / "updater-environment", 10000, environment));
    EXPECT_FALSE(FindVariable(environment, "a_login"));
    EXPECT_FALSE(FindVariable(environment, "a_password"));
}

TEST_F(GameStartTest, ThePaymentUpdaterIsToldReadyEvenWhenNothingCanBeStarted) {
    Start("status:0");
    EXPECT_TRUE(Command(PageCommand::GameStartEpayAutoupdate));
    EXPECT_TRUE(fs::is_directory(tree / "bin/ePay"));
    fs::create_directories(tree / "bin/ePay_original");
    std::ofstream(tree / "bin/ePay_original/autoupdate.exe") << "not for this system";
    EXPECT_TRUE(Command(PageCommand::GameStartEpayAutoupdate));
    EXPECT_EQ(window.events, (std::vector<EventRecord>{{u"Game.OnReady", u"0"}, {u"Game.OnReady", u"0"}}));
    EXPECT_TRUE(fs::exists(tree / "bin/ePay/autoupdate.exe"));
}

TEST_F(GameStartTest, TheStateTakesItsOwnCommandsAndLeavesTheRest) {
    Start("status:0");
    EXPECT_FALSE(Command(PageCommand::NewLauncher));
    EXPECT_TRUE(functor->LauncherUpdateFlag());
    // Without their steps the side steps and the full version's steps cannot start.
    for (int code : {PageCommand::RipDownload, PageCommand::FullDownload, PageCommand::PatchesRequestFuture,
                     PageCommand::PatchesDownload, PageCommand::FullCheckRun})
        EXPECT_FALSE(Command(code)) << code;
    EXPECT_TRUE(window.events.empty());
    EXPECT_FALSE(Workflow::FutureUpdate());
}

TEST_F(GameStartTest, TheFuturePatchRunsAsASideStepThatTheDownloadTakesOver) {
    Start("status:0");
    std::vector<IState*> handedOver;
    RefPtr<InertState> request(new InertState);
    request->id = StateId::PatchesRequest;
    FuturePatchFactories factories;
    factories.request = [&](IMainWindow* w) {
        EXPECT_EQ(w, &window);
        FeatureStart start;
        start.state = request;
        start.start = [](const WideString&) { return true; };
        return start;
    };
    factories.download = [&](IMainWindow*, IState* previous) {
        handedOver.push_back(previous);
        FeatureStart start;
        start.state = new InertState;
        start.start = [](const WideString&) { return false; };
        return start;
    };
    state = new GameState(functor.Get(), &window, factories);

    EXPECT_TRUE(Command(PageCommand::PatchesRequestFuture));
    EXPECT_TRUE(Workflow::FutureUpdate());
    EXPECT_EQ(window.events, std::vector<EventRecord>{{u"Global.OnFutureUpdateState"}});
    EXPECT_EQ(state->SideStep(), request.Get());
    EXPECT_EQ(state->FindState(StateId::PatchesRequest), nullptr);  // the side step is not the current step

    EXPECT_FALSE(Command(PageCommand::PatchesDownload));  // the download's own answer
    EXPECT_EQ(handedOver, std::vector<IState*>{request.Get()});
    EXPECT_NE(state->SideStep(), request.Get());
    Workflow::FutureUpdate() = false;
}

TEST_F(GameStartTest, LeftoversOfAFullVersionDownloadGoOnlyWhenNothingWritesThere) {
    Start("exit:0", false);
    std::ofstream((fs::create_directories(tree / "Patches/Full/data"), tree / "Patches/Full/data/part.pak")) << "x";
    params->demoState = 1;
    ASSERT_TRUE(Command(PageCommand::GameRun, u""));
    EXPECT_TRUE(fs::exists(tree / "Patches/Full/data/part.pak"));

    params->demoState = 2;
    state->SetStep(new InertState);  // a full-version step is writing there
    ASSERT_TRUE(Command(PageCommand::GameRun, u""));
    EXPECT_TRUE(fs::exists(tree / "Patches/Full/data/part.pak"));

    state->SetStep(nullptr);
    ASSERT_TRUE(Command(PageCommand::GameRun, u""));
    EXPECT_FALSE(fs::exists(tree / "Patches/Full"));
    EXPECT_TRUE(fs::exists(tree / "Patches"));
}

TEST_F(GameStartTest, CommandSeventyStartsTheFeatureAndTheProjectIdComesFromThePacks) {
    fs::create_directories(tree / "data/Packs");
    std::ofstream(tree / "data/Packs/Version.pak") << ZipBuilder().Add("Version/VantryInfo.bin", "##5107").Build();
    AuthKey() = W(u"12345");
    ASSERT_EQ(chdir((tree / "bin").c_str()), 0);
    RefPtr<MainState> root(MainState::Create(&window));
    EXPECT_TRUE(root->OnCommand(PageCommand::GameSetReady, WideString()));
    EXPECT_EQ(window.events, (std::vector<EventRecord>{{u"Game.OnEpayCheck", u"5"}}));
    EXPECT_EQ(Settings::vantry_project_id.GetInt(), 5107);
    EXPECT_TRUE(root->OnCommand(PageCommand::GameStartEpayAutoupdate, WideString()));
    EXPECT_EQ(window.events.back(), (EventRecord{u"Game.OnReady", u"5"}));

    // An id from a configuration line is kept.
    Settings::vantry_project_id.SetInt(77);
    EXPECT_TRUE(root->OnCommand(PageCommand::GameSetReady, WideString()));
    EXPECT_EQ(Settings::vantry_project_id.GetInt(), 77);
}

}  // namespace
