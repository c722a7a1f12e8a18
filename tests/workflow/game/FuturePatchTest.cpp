// The future patch beside the game step: command 31 runs this launcher's real patch
// request against a loopback update server, as a side step the download can take over.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <thread>

#include "base/runtime/StrUtil.h"
#include "shell/AppParams.h"
#include "support/FileBytes.h"
#include "support/GameTree.h"
#include "support/LoopbackHttpServer.h"
#include "support/ManualTimerHost.h"
#include "support/RequiredEnvironment.h"
#include "support/versions/SignedVersions.h"
#include "workflow/PageCommands.h"
#include "workflow/RecordingWindow.h"
#include "workflow/StateIds.h"
#include "workflow/WorkflowValues.h"
#include "workflow/game/NoGame.h"
#include "workflow/game/GameState.h"
#include "workflow/patches/PatchesRequestFunctor.h"

namespace {

TEST(FuturePatch, CommandThirtyOneAsksTheUpdateServerBesideTheGameStep) {
    if (!BuiltInKeyIsSample()) SKIP_UNLESS_REQUIRED("the launcher was built with another version key");
    GameTree tree;
    ASSERT_EQ(chdir((tree / "bin").c_str()), 0);
    VersionWriter::Model model;
    model.version = "1.0.1";
    model.folders.push_back({"/data/", {ListedFile("base.pak", "base", 3)}});
    ASSERT_TRUE(WriteWholeFile(tree / "Profiles/game.version", SignedVersionFile(model)));

    LoopbackHttpServer server;
    server.Script("/upd/CurrentVersion.xdb", LoopbackHttpServer::Reply::Document("not a version document"));
    RefPtr<AppParams> params(new AppParams());
    params->gameRoot = WideString(u"../");
    params->versionFile = WideString(u"Profiles/game.version");
    params->launcherCfgPath = WideString(u"Profiles/Launcher.cfg");
    params->server.host = String("127.0.0.1");
    params->server.basePath = String("/upd/");
    params->server.port = server.Port();
    params->server.timeoutMs = 30000;
    SetAppParams(params.Get());

    ManualTimerHost timers;
    RecordingWindow window(&timers);
    RefPtr<IGameFunctor> game(new NoGame);
    RefPtr<GameState> state(new GameState(game.Get(), &window, FuturePatchFactories::Installed()));
    EXPECT_TRUE(state->OnCommand(PageCommand::PatchesRequestFuture, WideString()));
    EXPECT_TRUE(Workflow::FutureUpdate());
    ASSERT_NE(state->SideStep(), nullptr);
    EXPECT_EQ(state->SideStep()->GetId(), StateId::PatchesRequest);
    EXPECT_EQ(state->GetStep(), nullptr);  // the full version's slot stays free

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (window.events.size() < 3 && std::chrono::steady_clock::now() < deadline) {
        timers.Advance(PatchesRequestFunctor::kTickMs);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(window.events.size(), 3u);
    EXPECT_EQ(window.events[0], EventRecord{u"Global.OnFutureUpdateState"});
    EXPECT_EQ(window.events[1], (EventRecord{u"Patching.OnRequest", u"1.0.1"}));
    EXPECT_EQ(window.events[2], (EventRecord{u"Patching.OnLogicError", u"-3"}));  // no version document
    EXPECT_EQ(server.RequestedTargets(), std::vector<std::string>{"/upd/CurrentVersion.xdb"});

    // The request found no patches: 300 lets it go and has nothing to download.
    EXPECT_FALSE(state->OnCommand(PageCommand::PatchesDownload, WideString()));
    EXPECT_EQ(state->SideStep(), nullptr);
    state = nullptr;
    SetAppParams(nullptr);
    Workflow::FutureUpdate() = false;
}

}  // namespace
