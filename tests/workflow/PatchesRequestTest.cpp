// The patch request with a stand-in patch server: each outcome of the server becomes
// one page event, the first outcome ends the request, and the factory refuses what it
// cannot run.
#include <gtest/gtest.h>

#include <functional>

#include "RecordingWindow.h"
#include "support/ManualTimerHost.h"
#include "workflow/Settings.h"
#include "workflow/WorkflowValues.h"
#include "workflow/patches/PatchesRequestFunctor.h"

namespace {

// A patch server whose poll plays the scripted outcome once.
class ScriptedPatchServer final : public IPatchServer {
public:
    std::function<void(ScriptedPatchServer&)> outcome;
    bool requestAnswer = true;
    int requests = 0;
    int polls = 0;

    bool Request() override {
        ++requests;
        return requestAnswer;
    }
    bool Poll(std::int64_t) override {
        ++polls;
        if (auto play = std::exchange(outcome, nullptr)) play(*this);
        return true;
    }
};

class VersionText final : public Game::IGameVersion {
public:
    explicit VersionText(const char16_t* text) : text_(text) {}
    const WideString& GetVersion() const override { return text_; }
    const Game::FolderList& GetFolders() const override { return folders_; }
    int GetContentCount() const override { return 0; }
    void SetFlagsMask(int) override {}
    int Check(String&, bool) override { return 0; }

private:
    WideString text_;
    Game::FolderList folders_;
};

RefPtr<PatchInfos> Patches(std::initializer_list<std::u16string> versions) {
    RefPtr<PatchInfos> patches(new PatchInfos());
    for (const std::u16string& version : versions)
        patches->items.PushBack(RefPtr<PatchInfo>(new PatchInfo(WideString(version.c_str()), 1, WideString(u"p.torrent"), ByteVector())));
    return patches;
}

class PatchesRequestTest : public ::testing::Test {
protected:
    void TearDown() override {
        Workflow::PrepatchAvailable() = false;
        Workflow::PrepatchVersion() = "";
        Settings::prepatch_ready.SetString("");
    }

    // Runs a request whose server plays outcome, ticks on a while, and returns the page events.
    std::vector<EventRecord> Request(std::function<void(ScriptedPatchServer&)> outcome) {
        window = RecordingWindow(&timers);
        server = new ScriptedPatchServer();
        server->outcome = std::move(outcome);
        functor = PatchesRequestFunctor::Create(RefPtr<PatchesRequestView>(new PatchesRequestView(&window)).Get(),
                                                server.Get(), WideString(u"5.2.16"));
        EXPECT_TRUE(functor->Run());
        for (int i = 0; i < 10; ++i) timers.Advance(PatchesRequestFunctor::kTickMs);
        return window.events;
    }

    ManualTimerHost timers;
    RecordingWindow window{&timers};
    RefPtr<ScriptedPatchServer> server;
    RefPtr<PatchesRequestFunctor> functor;
};

TEST_F(PatchesRequestTest, EachOutcomeBecomesOnePageEvent) {
    const RefPtr<PatchInfos> three = Patches({u"5.2.17", u"5.2.18", u"5.2.19"});
    const RefPtr<PatchInfos> none = Patches({});
    const struct {
        const char* what;
        std::function<void(ScriptedPatchServer&)> outcome;
        EventRecord event;
    } cases[] = {
        {"patches", [&](ScriptedPatchServer& s) { s.PatchesReady.Fire(three.Get(), false); },
         {u"Patching.OnAnswer", u"false", u"5.2.17", u"5.2.18", u"5.2.19"}},
        {"patches for a version too old", [&](ScriptedPatchServer& s) { s.PatchesReady.Fire(three.Get(), true); },
         {u"Patching.OnAnswer", u"true", u"5.2.17", u"5.2.18", u"5.2.19"}},
        {"an empty list", [&](ScriptedPatchServer& s) { s.PatchesReady.Fire(none.Get(), false); },
         {u"Patching.OnLogicError", u"-3"}},
        {"no list", [](ScriptedPatchServer& s) { s.PatchesReady.Fire(nullptr, false); }, {u"Patching.OnLogicError", u"-3"}},
        {"nothing to do", [](ScriptedPatchServer& s) { s.Finished.Fire(); }, {u"Patching.OnResponse", u"false"}},
        {"another launcher", [](ScriptedPatchServer& s) { s.LauncherUpdateRequired.Fire(); }, {u"Patching.OnUpdateLauncher"}},
        {"a time-out", [](ScriptedPatchServer& s) { s.NetworkError.Fire(9); }, {u"Patching.OnServerError", u"9"}},
        {"no chain", [](ScriptedPatchServer& s) { s.ServerError.Fire(-2); }, {u"Patching.OnLogicError", u"-2"}},
        {"a second outcome reaches no one",
         [](ScriptedPatchServer& s) {
             s.NetworkError.Fire(8);
             s.Finished.Fire();
         },
         {u"Patching.OnServerError", u"8"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<EventRecord> events = Request(c.outcome);
        ASSERT_EQ(events.size(), 2u);
        EXPECT_EQ(events[0], (EventRecord{u"Patching.OnRequest", u"5.2.16"}));
        EXPECT_EQ(window.titles, std::vector<std::u16string>{u"5.2.16"});
        EXPECT_EQ(events[1], c.event);
        // The outcome ended the request: no timer, no more polls.
        EXPECT_EQ(timers.ArmedCount(), 0u);
        EXPECT_EQ(server->polls, 1);
        EXPECT_FALSE(functor->Run());
    }
}

TEST_F(PatchesRequestTest, ThePatchesStayAsTheResult) {
    const RefPtr<PatchInfos> none = Patches({});
    Request([&](ScriptedPatchServer& s) { s.PatchesReady.Fire(none.Get(), false); });
    EXPECT_EQ(functor->GetResult().Get(), none.Get());
    const RefPtr<PatchInfos> two = Patches({u"1", u"2"});
    EXPECT_FALSE(Request([](ScriptedPatchServer& s) { s.Finished.Fire(); }).empty());
    EXPECT_FALSE(functor->GetResult());
    Request([&](ScriptedPatchServer& s) { s.PatchesReady.Fire(two.Get(), false); });
    EXPECT_EQ(functor->GetResult().Get(), two.Get());
}

TEST_F(PatchesRequestTest, ServerVersionsReachThePageUnchanged) {
    const std::u16string odd[] = {u"1.0\"quoted\"", u"back\\slash", u"line\u2028separator", u"</script><b>",
                                  std::u16string(65536, u'9'), std::u16string(1, char16_t(0xD800))};
    const RefPtr<PatchInfos> patches = Patches({odd[0], odd[1], odd[2], odd[3], odd[4], odd[5]});
    const std::vector<EventRecord> events = Request([&](ScriptedPatchServer& s) { s.PatchesReady.Fire(patches.Get(), false); });
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1], (EventRecord{u"Patching.OnAnswer", u"false", odd[0], odd[1], odd[2], odd[3], odd[4], odd[5]}));
}

TEST_F(PatchesRequestTest, AFuturePatchIsOnOfferWhenTheDownloadedOneIsOlder) {
    const struct {
        bool available;
        const char* ready;
        const char* offered;
        const char16_t* answer;
    } cases[] = {
        {false, "", "1.0.7", u"false"},   {false, "1.0.1", "1.0.7", u"false"}, {true, "", "1.0.7", u"true"},
        {true, "1.0.6", "1.0.7", u"true"}, {true, "1.0.7", "1.0.7", u"false"},  {true, "1.0.10", "1.0.7", u"false"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.ready) + " against " + c.offered);
        Workflow::PrepatchAvailable() = c.available;
        Workflow::PrepatchVersion() = c.offered;
        Settings::prepatch_ready.SetString(c.ready);
        const std::vector<EventRecord> events = Request([](ScriptedPatchServer& s) { s.Finished.Fire(); });
        ASSERT_EQ(events.size(), 2u);
        EXPECT_EQ(events[1], (EventRecord{u"Patching.OnResponse", c.answer}));
    }
}

TEST_F(PatchesRequestTest, ARunningRequestOrOneThatCouldNotStartIsNotRunAgain) {
    RefPtr<PatchesRequestView> view(new PatchesRequestView(&window));
    RefPtr<ScriptedPatchServer> running(new ScriptedPatchServer());
    RefPtr<PatchesRequestFunctor> request = PatchesRequestFunctor::Create(view.Get(), running.Get(), WideString(u"1"));
    EXPECT_TRUE(request->Run());
    EXPECT_FALSE(request->Run());
    EXPECT_EQ(running->requests, 1);
    EXPECT_EQ(window.events.size(), 1u);

    RefPtr<ScriptedPatchServer> refusing(new ScriptedPatchServer());
    refusing->requestAnswer = false;
    request = PatchesRequestFunctor::Create(view.Get(), refusing.Get(), WideString(u"1"));
    EXPECT_FALSE(request->Run());
    EXPECT_FALSE(request->Run());
    EXPECT_EQ(refusing->requests, 1);

    RefPtr<ScriptedPatchServer> untimed(new ScriptedPatchServer());
    request = PatchesRequestFunctor::Create(view.Get(), untimed.Get(), WideString(u"1"));
    timers.FailNextArm();
    EXPECT_FALSE(request->Run());
    EXPECT_FALSE(request->Run());
    EXPECT_EQ(untimed->requests, 1);
    EXPECT_EQ(window.events.size(), 1u);  // still only the first request's
}

TEST_F(PatchesRequestTest, TheFactoryRefusesWhatItCannotRun) {
    RefPtr<PatchesRequestView> view(new PatchesRequestView(&window));
    RefPtr<AppParams> params(new AppParams());
    params->launcherCfgPath = WideString(u"Profiles/Launcher.cfg");
    RefPtr<Game::IGameVersion> installed(new VersionText(u"5.2.16"));
    RefPtr<Game::IGameVersion> unnamed(new VersionText(u""));
    EXPECT_TRUE(PatchesRequestFunctor::Create(view.Get(), params.Get(), installed.Get()));
    EXPECT_FALSE(PatchesRequestFunctor::Create(nullptr, params.Get(), installed.Get()));
    EXPECT_FALSE(PatchesRequestFunctor::Create(view.Get(), params.Get(), nullptr));
    EXPECT_FALSE(PatchesRequestFunctor::Create(view.Get(), params.Get(), unnamed.Get()));
    params->launcherCfgPath = WideString();
    EXPECT_FALSE(PatchesRequestFunctor::Create(view.Get(), params.Get(), installed.Get()));
    EXPECT_TRUE(window.events.empty());
}

}  // namespace
