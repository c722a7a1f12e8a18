// The hub progress as the page sees it: command 77 on the game state, 100 ms ticks of a
// manual clock, and the page events computed from the pack lists a scripted hub sends.
// The installed game is a real version file in a temporary game tree ("1.0.0", three
// files of the minimal set, by default). One test runs the whole road against the fake hub
// process over its socket: the launcher starts the hub, reports the game ready to play,
// and ends the hub on its way out.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "hublink/InterCom.h"
#include "shell/AppParams.h"
#include "support/ArgvRecord.h"
#include "support/GameTree.h"
#include "support/HubLinkFixtures.h"
#include "support/MainContextPump.h"
#include "support/ProcessScan.h"
#include "support/ManualTimerHost.h"
#include "support/RequiredEnvironment.h"
#include "support/ScopedTempFolder.h"
#include "support/versions/SignedVersions.h"
#include "workflow/PageCommands.h"
#include "workflow/RecordingWindow.h"
#include "workflow/Settings.h"
#include "workflow/WorkflowValues.h"
#include "workflow/game/GameFunctor.h"
#include "workflow/game/GameState.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr char kInstalledVersion[] = "1.0.0";
constexpr int kBuild = 1001;

// The hub as a test scripts it: the messages it will send, in order, and what it was
// asked. The link the functor owns forwards here, so the test still sees it all once
// the link is gone. Requests made while it is not connected never reach it.
struct ScriptedHub {
    bool connected = true;
    bool newConnection = false;        // the next dispatch reports a reconnection first
    int closesAfterDispatches = 1;     // once told to end
    std::deque<std::function<void(const InterComCallbacks&)>> messages;

    InterComHandshake handshake;
    std::string hubExecutable;
    int linksMade = 0;
    int packListRequests = 0;
    std::vector<std::string> packStateRequests;  // "NAME:ENABLE:PRIORITY ..."
    std::vector<int> acceptedBuilds;
    int reconnects = 0;
    bool terminated = false;

    void Send(std::function<void(const InterComCallbacks&)> message) { messages.push_back(std::move(message)); }
    void SendPackInfos(const PackInfos& infos) {
        Send([infos](const InterComCallbacks& c) { c.packInfos(c.context, infos); });
    }
};

class ScriptedLink final : public VTInterCom::IInterCom {
public:
    ScriptedLink(ScriptedHub& hub, const InterComCallbacks& callbacks) : hub_(hub), callbacks_(callbacks) {}

    bool IsConnected() override { return hub_.connected; }
    void Reconnect() override { ++hub_.reconnects; }
    bool Terminate() override {
        hub_.terminated = hub_.connected;
        return hub_.connected;
    }
    bool GetPackInfos() override {
        if (hub_.connected) ++hub_.packListRequests;
        return hub_.connected;
    }
    bool SetPackStateEx(const Vector<PackState>& states) override {
        if (!hub_.connected) return false;
        std::string request;
        for (const PackState& state : states)
            request += (request.empty() ? "" : " ") + state.name.Std() + ":" + std::to_string(state.enable) + ":" +
                       std::to_string(state.priority);
        hub_.packStateRequests.push_back(request);
        return true;
    }
    bool SetClientAcceptedBuild(int build) override {
        if (hub_.connected) hub_.acceptedBuilds.push_back(build);
        return hub_.connected;
    }
    bool ReceiveAndDispatch() override {
        if (hub_.terminated && --hub_.closesAfterDispatches == 0) hub_.connected = false;
        if (hub_.newConnection) {
            hub_.newConnection = false;
            callbacks_.reconnected(callbacks_.context);
        }
        if (hub_.messages.empty()) return false;
        auto message = std::move(hub_.messages.front());
        hub_.messages.pop_front();
        message(callbacks_);
        return true;
    }

private:
    ScriptedHub& hub_;
    InterComCallbacks callbacks_;
};

struct Pack {
    const char* name;
    bool complete;
};

PackInfos PackList(bool fullSet, std::initializer_list<Pack> packs, int build = kBuild,
                   const char* buildInfo = kInstalledVersion) {
    PackInfos infos;
    infos.FullPackSet = fullSet;
    infos.ServerBuild = build;
    infos.BuildInfo = String(buildInfo);
    for (const Pack& pack : packs) {
        PackInfo info;
        info.Name = String(pack.name);
        info.ServerBuild = build;
        info.ReadyBuild = pack.complete ? build : build - 1;
        infos.Packs.PushBack(info);
    }
    return infos;
}

EventRecord Downloading(const std::u16string& percent, bool allRequired) {
    return {u"Game.OnDownloading", percent, allRequired ? u"1" : u"0"};
}
const EventRecord kFinished{u"Game.OnDownloadingFinished"};
const EventRecord kConnectionLost{u"Game.OnVtConnectionLost"};
const EventRecord kConnectFail{u"Game.OnVtConnectFail"};

class HubProgressTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The installed version is read as the launcher reads it: signed.
        if (!BuiltInKeyIsSample()) SKIP_UNLESS_REQUIRED("the launcher was built with another version key");
        ASSERT_EQ(chdir((tree / "bin").c_str()), 0);
        InstallGame(3);
    }

    void TearDown() override {
        state = nullptr;
        functor = nullptr;
        SetAppParams(nullptr);
        Settings::gfx_texture_mip.SetInt(2);
        Settings::vantry_project_id.SetInt(0);
        Settings::fakeVantry.SetBool(false);
        Workflow::ProgressiveDownload() = false;
        Workflow::MinimumCheck() = true;
    }

    // The installed version, with requiredFiles files of the minimal set and one more
    // that is not.
    void InstallGame(int requiredFiles) {
        VersionWriter::Model model;
        model.version = kInstalledVersion;
        model.folders.push_back({"/data/", {ListedFile("extra.pak", "extra", 1)}});
        for (int i = 0; i < requiredFiles; ++i)
            model.folders[0].files.push_back(ListedFile("base" + std::to_string(i) + ".pak", "base", 3));
        ASSERT_TRUE(WriteWholeFile(tree / "Profiles/game.version", SignedVersionFile(model)));
        params = new AppParams();
        params->gameRoot = WideString(u"../");
        params->versionFile = WideString(u"Profiles/game.version");
        SetAppParams(params.Get());
    }

    GameFunctor::Options Options() {
        GameFunctor::Options options;
        options.monitoredStart = false;
        options.binFolder = tree / "bin";
        options.makeHubLink = [this](const InterComHandshake& handshake, const WideString& executable,
                                     const InterComCallbacks& callbacks) -> std::unique_ptr<VTInterCom::IInterCom> {
            ++hub.linksMade;
            hub.handshake = handshake;
            hub.hubExecutable = String(executable).Std();
            if (!linkCanBeMade) return nullptr;
            return std::make_unique<ScriptedLink>(hub, callbacks);
        };
        return options;
    }

    // A new game step (70), as the page makes one.
    void NewGameStep(GameFunctor::Options options) {
        state = nullptr;
        functor = nullptr;
        view = new GameView(&window);
        functor = GameFunctor::Create(view.Get(), std::move(options));
        state = new GameState(functor.Get(), &window);
    }

    bool Command(int code, const std::u16string& argument = u"") {
        return state->OnCommand(code, WideString(argument.data(), argument.data() + argument.size()));
    }

    // The events of the next ticks.
    std::vector<EventRecord> Ticks(int count = 1) {
        const std::size_t before = window.events.size();
        for (int i = 0; i < count; ++i) timers.Advance(GameFunctor::kHubTickMs);
        return std::vector<EventRecord>(window.events.begin() + before, window.events.end());
    }

    GameTree tree;
    RefPtr<AppParams> params;
    ManualTimerHost timers;
    RecordingWindow window{&timers};
    ScriptedHub hub;
    bool linkCanBeMade = true;
    RefPtr<GameView> view;
    RefPtr<GameFunctor> functor;
    RefPtr<GameState> state;
};

TEST_F(HubProgressTest, ThePercentCountsTheCompletePacksAndTheInstalledFilesAndTheFlagLeavesOutHires) {
    // Three files of the minimal set are installed; of the listed packs one is
    // complete. Command 77 "true" leaves the high-resolution pack out of the list and
    // asks the hub to disable it; "false" keeps and counts it, but the game can run
    // without it all the same.
    const struct {
        const char16_t* argument;
        int textureMip;
        std::vector<std::string> packStateRequests;
        EventRecord listed, soundsDone, texturesDone;
    } cases[] = {
        {u"true", 2, {"Data/Textures.HIRES.pak:0:0"}, Downloading(u"80", false), kFinished, {}},
        {u"false", 0, {}, Downloading(u"66", false), Downloading(u"83", true), kFinished},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(String(WideString(c.argument)).Std());
        hub = ScriptedHub();
        window.events.clear();
        Settings::gfx_texture_mip.SetInt(2);
        NewGameStep(Options());
        EXPECT_TRUE(Command(PageCommand::GameStartHubLink, c.argument));
        EXPECT_EQ(Settings::gfx_texture_mip.GetInt(), c.textureMip);
        EXPECT_TRUE(window.events.empty());

        // Before any list: nothing is ready, whatever an earlier step saw.
        EXPECT_EQ(Ticks(), std::vector<EventRecord>{Downloading(u"0", false)});
        EXPECT_EQ(hub.packListRequests, 1);
        hub.SendPackInfos(PackList(true, {{"Data/Base.pak", true}, {"Data/Sounds.pak", false},
                                          {"Data/Textures.HIRES.pak", false}}));
        EXPECT_EQ(Ticks(), std::vector<EventRecord>{c.listed});
        EXPECT_EQ(hub.packStateRequests, c.packStateRequests);
        // Between two lists every tick repeats the last word.
        EXPECT_EQ(Ticks(2), std::vector<EventRecord>(2, c.listed));

        hub.SendPackInfos(PackList(false, {{"Data/Sounds.pak", true}}));
        EXPECT_EQ(Ticks(), std::vector<EventRecord>{c.soundsDone});
        hub.SendPackInfos(PackList(false, {{"Data/Textures.HIRES.pak", true}}));
        const std::vector<EventRecord> last = Ticks();
        EXPECT_EQ(last, c.texturesDone.empty() ? std::vector<EventRecord>() : std::vector<EventRecord>{c.texturesDone});
        // Once all is there the ticks end.
        EXPECT_EQ(timers.ArmedCount(), 0u);
        EXPECT_TRUE(Ticks(3).empty());
        EXPECT_EQ(hub.packListRequests, 1);
    }
}

TEST_F(HubProgressTest, ListsOfAnotherBuildOrSessionAndListsOfNothingKnownChangeNothing) {
    NewGameStep(Options());
    ASSERT_TRUE(Command(PageCommand::GameStartHubLink, u"true"));
    Ticks();
    hub.SendPackInfos(PackList(true, {{"Base.pak", true}}, kBuild, "0.9.9"));  // another version's
    hub.SendPackInfos(PackList(true, {{"Base.pak", true}}, 0));                 // no build at all
    hub.SendPackInfos(PackList(false, {{"Base.pak", true}}));                   // no session yet
    EXPECT_EQ(Ticks(3), std::vector<EventRecord>(3, Downloading(u"0", false)));

    hub.SendPackInfos(PackList(true, {{"Base.pak", true}, {"Sounds.pak", false}}));
    EXPECT_EQ(Ticks(), std::vector<EventRecord>{Downloading(u"80", false)});
    hub.SendPackInfos(PackList(false, {{"Sounds.pak", true}}, kBuild + 1));  // another session's
    hub.SendPackInfos(PackList(false, {{"Unknown.pak", true}}));
    hub.SendPackInfos(PackList(true, {{"Base.pak", true}, {"Sounds.pak", true}}, kBuild + 1, "2.0.0"));
    EXPECT_EQ(Ticks(3), std::vector<EventRecord>(3, Downloading(u"80", false)));

    // A name listed twice: the partial list completes the first one.
    hub.SendPackInfos(PackList(true, {{"Twice.pak", false}, {"Twice.pak", false}}, kBuild + 2));
    hub.SendPackInfos(PackList(false, {{"Twice.pak", true}}, kBuild + 2));
    EXPECT_EQ(Ticks(2), (std::vector<EventRecord>{Downloading(u"60", false), Downloading(u"80", false)}));
}

TEST_F(HubProgressTest, NothingToDownloadIsAllThereEvenWithoutRequiredFiles) {
    const struct {
        int requiredFiles;
        std::initializer_list<Pack> packs;
    } cases[] = {{0, {}}, {0, {{"Only.HiRes.pak", false}}}, {3, {}}};
    for (const auto& c : cases) {
        InstallGame(c.requiredFiles);
        NewGameStep(Options());
        ASSERT_TRUE(Command(PageCommand::GameStartHubLink, u"true"));
        hub.SendPackInfos(PackList(true, c.packs));
        EXPECT_EQ(Ticks(3), (std::vector<EventRecord>{Downloading(u"0", false), kFinished})) << c.requiredFiles;
    }
}

TEST_F(HubProgressTest, TheListIsAskedForUntilOneArrivesAndThenOnceAMinute) {
    NewGameStep(Options());
    ASSERT_TRUE(Command(PageCommand::GameStartHubLink, u"true"));
    Ticks(GameFunctor::kPackListRetryTicks);
    EXPECT_EQ(hub.packListRequests, 1);
    Ticks();
    EXPECT_EQ(hub.packListRequests, 2);
    hub.SendPackInfos(PackList(true, {{"Base.pak", false}}));
    Ticks(GameFunctor::kPackListRefreshTicks - 1);
    EXPECT_EQ(hub.packListRequests, 2);
    Ticks();
    EXPECT_EQ(hub.packListRequests, 3);
}

TEST_F(HubProgressTest, ALostLinkIsToldEveryTickAndTheRequestsItMissedGoOutOnReconnection) {
    NewGameStep(Options());
    ASSERT_TRUE(Command(PageCommand::GameStartHubLink, u"true"));
    Ticks();
    // The hub drops the link just after its list: the request to disable the
    // high-resolution pack cannot be sent.
    const PackInfos list = PackList(true, {{"Base.pak", true}, {"Sounds.pak", false}, {"Tex.hires", false}});
    hub.Send([this, list](const InterComCallbacks& c) {
        hub.connected = false;
        c.packInfos(c.context, list);
    });
    EXPECT_EQ(Ticks(), std::vector<EventRecord>{Downloading(u"80", false)});
    EXPECT_EQ(Ticks(3), std::vector<EventRecord>(3, kConnectionLost));
    EXPECT_TRUE(hub.packStateRequests.empty());

    // Back again: the list and the session are kept.
    hub.connected = true;
    hub.newConnection = true;
    hub.SendPackInfos(PackList(false, {{"Sounds.pak", true}}));
    EXPECT_EQ(Ticks(), std::vector<EventRecord>{kFinished});
    EXPECT_EQ(hub.packStateRequests, std::vector<std::string>{"Tex.hires:0:0"});
}

TEST_F(HubProgressTest, NewBuildsOfTheInstalledVersionAreAcceptedAndAHubOfAnotherKindIsLeft) {
    NewGameStep(Options());
    ASSERT_TRUE(Command(PageCommand::GameStartHubLink, u"true"));
    Ticks();
    const auto newBuild = [this](int build, const char* info) {
        hub.Send([build, info](const InterComCallbacks& c) { c.newBuildDetected(c.context, build, String(info)); });
    };
    const auto buildInfo = [this](int build, const char* info) {
        const PackInfos infos = PackList(true, {}, build, info);
        hub.Send([infos](const InterComCallbacks& c) { c.buildInfo(c.context, infos); });
    };
    newBuild(1002, kInstalledVersion);
    newBuild(1003, "2.0.0");
    newBuild(0, kInstalledVersion);
    buildInfo(1002, kInstalledVersion);
    buildInfo(1003, "2.0.0");
    buildInfo(0, kInstalledVersion);
    Ticks(6);
    EXPECT_EQ(hub.acceptedBuilds, std::vector<int>{1002});
    EXPECT_EQ(hub.packListRequests, 2);

    const struct {
        int apiVersion;
        bool lightMode;
        int clientAccepted;
        bool reconnects;
    } params[] = {{3, false, 1, false}, {3, true, 0, false}, {3, false, 0, true}, {4, false, 1, true}, {2, true, 1, true}};
    for (const auto& p : params) {
        hub.reconnects = 0;
        hub.Send([p](const InterComCallbacks& c) { c.params(c.context, 4242, p.apiVersion, p.lightMode, p.clientAccepted); });
        Ticks();
        EXPECT_EQ(hub.reconnects, p.reconnects ? 1 : 0) << p.apiVersion << " " << p.lightMode << " " << p.clientAccepted;
    }
}

TEST_F(HubProgressTest, TheLinkIsMadeOnceWithTheProjectAndTheHubBesideTheLauncher) {
    Settings::vantry_project_id.SetInt(5107);
    NewGameStep(Options());
    ASSERT_TRUE(Command(PageCommand::GameStartHubLink, u"true"));
    EXPECT_TRUE(Command(PageCommand::GameStartHubLink, u"true"));
    EXPECT_EQ(hub.linksMade, 1);
    EXPECT_EQ(timers.ArmedCount(), 1u);
    const std::uint32_t expected[5] = {0, 5107, 0, 0, static_cast<std::uint32_t>(getpid())};
    EXPECT_TRUE(std::equal(std::begin(expected), std::end(expected), hub.handshake.words));
    EXPECT_EQ(hub.hubExecutable, tree / "bin/VantryLight/VantryHub.exe");

    // A second game step has a link of its own.
    NewGameStep(Options());
    ASSERT_TRUE(Command(PageCommand::GameStartHubLink, u"1"));
    EXPECT_EQ(hub.linksMade, 2);
    EXPECT_EQ(timers.ArmedCount(), 1u);
}

TEST_F(HubProgressTest, ALinkThatCannotBeMadeOrWatchedIsToldOnce) {
    linkCanBeMade = false;
    NewGameStep(Options());
    EXPECT_TRUE(Command(PageCommand::GameStartHubLink, u"true"));
    EXPECT_EQ(window.events, std::vector<EventRecord>{kConnectFail});
    EXPECT_EQ(timers.ArmedCount(), 0u);
    EXPECT_FALSE(functor->HasHubLink());

    linkCanBeMade = true;
    window.events.clear();
    NewGameStep(Options());
    timers.FailNextArm();
    EXPECT_TRUE(Command(PageCommand::GameStartHubLink, u"true"));
    EXPECT_EQ(window.events, std::vector<EventRecord>{kConnectFail});
    EXPECT_FALSE(functor->HasHubLink());
}

TEST_F(HubProgressTest, TheHubIsToldToEndOnlyBeforeALauncherDownloadOrAfterAFullCheck) {
    const struct {
        bool launcherUpdate;
        bool progressive;
        bool minimumCheck;
        bool connected;
        bool ends;
    } cases[] = {
        {true, false, true, true, true},   {false, true, false, true, true},  {false, true, true, true, false},
        {false, false, false, true, false}, {true, true, false, false, false},
    };
    for (const auto& c : cases) {
        hub = ScriptedHub();
        hub.closesAfterDispatches = 2;
        hub.connected = c.connected;
        NewGameStep(Options());
        ASSERT_TRUE(Command(PageCommand::GameStartHubLink, u"true"));
        if (c.launcherUpdate) {
            EXPECT_FALSE(Command(PageCommand::NewLauncher));
        }
        Workflow::ProgressiveDownload() = c.progressive;
        Workflow::MinimumCheck() = c.minimumCheck;
        const auto start = std::chrono::steady_clock::now();
        state = nullptr;
        functor = nullptr;
        EXPECT_EQ(hub.terminated, c.ends);
        // The hub closed the link at the second look: the drain did not wait for more.
        EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
        EXPECT_EQ(hub.connected, c.connected && !c.ends);
    }
}

TEST_F(HubProgressTest, TheGameIsToldWhetherItRunsBesideTheHub) {
    fs::copy_file(SAMPLE_GAME_PATH, tree / "bin/ZIrira.exe");
    setenv("SAMPLE_GAME_MODE", "exit:0", 1);
    setenv("SAMPLE_GAME_RECORD", (tree / "record").c_str(), 1);
    Workflow::ProgressiveDownload() = true;
    NewGameStep(Options());
    ASSERT_TRUE(Command(PageCommand::GameStartHubLink, u"true"));
    const struct {
        bool fakeVantry;
        const char* digit;
    } cases[] = {{false, "2"}, {true, "0"}};
    for (const auto& c : cases) {
        Settings::fakeVantry.SetBool(c.fakeVantry);
        ASSERT_TRUE(Command(PageCommand::GameRun, u"player<=>secret"));
        ArgvRecord record;
        ASSERT_TRUE(WaitForArgvRecord(tree / "record", 10000, record));
        fs::remove(tree / "record");
        EXPECT_EQ(record.argv, (std::vector<std::string>{"ZIrira.exe", "-vantry", c.digit}));
    }
    unsetenv("SAMPLE_GAME_MODE");
    unsetenv("SAMPLE_GAME_RECORD");
}

TEST_F(HubProgressTest, AgainstTheFakeHubTheGameBecomesReadyToPlayAndTheHubEndsWithTheLink) {
    ScopedTempFolder sockets;
    const std::string socket = sockets / "VantryV4";
    const std::string hubLog = tree / "hub.log";
    WriteWholeFile(tree / "hub.packs",
                   "build 1.0.0 1001\npack Data/Base.pak 100000 100000\npack Data/Sounds.pak 200000\n"
                   "pack Data/Textures.HIRES.pak 1000000000\nrate 4000000\ntick 20\n");
    fs::create_directories(tree / "bin/VantryLight");
    WriteHubScript(tree / "bin/VantryLight/VantryHub.exe", tree / "hub.starts",
                   {"--socket", socket, "--script", tree / "hub.packs", "--log", hubLog, "--idle-exit", "20000"});
    VTInterCom::LinkOptions linkOptions;
    linkOptions.socketFolder = sockets.Path();
    linkOptions.attemptPeriodMs = 5;
    linkOptions.hubStartTimeoutMs = 50;
    GameFunctor::Options options = Options();
    options.makeHubLink = [&](const InterComHandshake& handshake, const WideString& executable,
                              const InterComCallbacks& callbacks) -> std::unique_ptr<VTInterCom::IInterCom> {
        return std::make_unique<VTInterCom::CInterCom>(handshake, executable, callbacks, linkOptions);
    };
    Settings::vantry_project_id.SetInt(5107);
    NewGameStep(std::move(options));
    ASSERT_TRUE(Command(PageCommand::GameStartHubLink, u"false"));

    // Until the launcher has started the hub and the hub has listed its packs, the
    // ticks say so; then the game can run while the textures still download.
    const EventRecord readyToPlay = Downloading(u"83", true);
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (window.events.empty() || window.events.back() != readyToPlay) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "last: " << String(WideString(
            window.events.empty() ? std::u16string() : window.events.back()[0])).Std();
        timers.Advance(GameFunctor::kHubTickMs);
        std::this_thread::sleep_for(2ms);
    }
    EXPECT_EQ(ReadLines(tree / "hub.starts").size(), 1u);
    EXPECT_TRUE(HasLine(hubLog, "handshake 0 5107 0 0 " + std::to_string(getpid())));
    for (const EventRecord& event : window.events) {
        const bool known = event == kConnectionLost || event[0] == u"Game.OnDownloading";
        EXPECT_TRUE(known) << String(WideString(event[0])).Std();
    }
    ASSERT_EQ(ProcessesWithArgument(socket).size(), 1u);

    // The launcher is to be downloaded anew: the hub is told to end, and does.
    EXPECT_FALSE(Command(PageCommand::NewLauncher));
    const auto start = std::chrono::steady_clock::now();
    state = nullptr;
    functor = nullptr;
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    EXPECT_TRUE(HasLine(hubLog, "message <TerminateVTIn />"));
    EXPECT_TRUE(HasLine(hubLog, "terminated"));
    EXPECT_TRUE(PumpUntil([&] {
        std::this_thread::sleep_for(2ms);
        return ProcessesWithArgument(socket).empty();
    }, 2500));
}

}  // namespace
