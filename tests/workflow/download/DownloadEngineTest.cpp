// The download engine's phases, progress and limits over torrents whose answers the
// test sets.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "support/FileBytes.h"
#include "support/GameTree.h"
#include "support/LinkBait.h"
#include "support/ManualTimerHost.h"
#include "support/TempDir.h"
#include "support/torrents/FakeTorrents.h"
#include "workflow/Settings.h"
#include "workflow/WorkflowValues.h"
#include "workflow/download/DownloadEngine.h"
#include "workflow/download/DownloaderLog.h"

namespace {

constexpr std::int64_t kGiB = 1ll << 30;

struct RecordingSink final : IDownloadSink {
    std::vector<std::string> events;
    std::vector<std::pair<TorrentProgress, std::int64_t>> progress;
    std::vector<std::vector<int>> peerSpeeds;
    bool acceptFinish = true;
    bool timeoutApplies = true;

    void OnChecking() override { events.push_back("checking"); }
    void OnConnecting() override { events.push_back("connecting"); }
    void OnProgress(const TorrentProgress& sum, std::int64_t total) override {
        events.push_back("progress");
        progress.emplace_back(sum, total);
    }
    void OnPeersInfo(const Vector<TorrentPeerInfo>& peers) override {
        events.push_back("peers");
        std::vector<int> speeds;
        for (const TorrentPeerInfo& peer : peers) speeds.push_back(peer.downSpeed);
        peerSpeeds.push_back(speeds);
    }
    void OnPeersLost() override { events.push_back("peers lost"); }
    void OnTorrentError() override { events.push_back("torrent error"); }
    void OnDiskSpaceError() override { events.push_back("disk space"); }
    bool OnAllFinished() override {
        events.push_back("all finished");
        return acceptFinish;
    }
    void OnComplete() override { events.push_back("complete"); }
    void OnCompleteTimeout() override { events.push_back("timeout"); }
    bool CompletionTimeoutApplies() override { return timeoutApplies; }

    int Count(const std::string& event) const {
        return static_cast<int>(std::count(events.begin(), events.end(), event));
    }
};

// An engine over two fake torrents, started on a manual timer.
class EngineOverFakes : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::chdir((tree / "bin").c_str()), 0);  // the torrents log lands in the tree
        session = new FakeTorrentSession;
        first = session->Make(u"a.torrent");
        second = session->Make(u"b.torrent");
        Workflow::RequestedChannel() = 0.0f;
    }
    void TearDown() override { Workflow::RequestedChannel() = 0.0f; }

    void StartEngine(const DownloadEngineOptions& custom = DownloadEngineOptions()) {
        DownloadEngineOptions options = custom;
        options.folder = WideString(String(folder.Path().c_str()));
        options.freeBytes = [this](const String&, std::uint64_t& bytes) {
            bytes = freeBytes;
            return true;
        };
        engine = DownloadEngine::Create(options, session.Get(), &sink);
        ASSERT_TRUE(engine);
        ASSERT_TRUE(engine->AddTorrent(u"a.torrent"));
        ASSERT_TRUE(engine->AddTorrent(u"b.torrent"));
        timer = Timer::Create(2, &timers);
        ASSERT_TRUE(engine->Start(timer));
    }
    void Tick(int count = 1) { timers.Advance(2000ll * count); }

    GameTree tree;
    ManualTimerHost timers;
    TempDir folder;
    std::uint64_t freeBytes = 1ull << 40;
    RefPtr<FakeTorrentSession> session;
    RefPtr<FakeTorrent> first;
    RefPtr<FakeTorrent> second;
    RecordingSink sink;
    RefPtr<DownloadEngine> engine;
    RefPtr<ITimer> timer;
};

TEST_F(EngineOverFakes, StartsTheTorrentsAndRefusesAnUnknownTorrentOrASecondStart) {
    StartEngine();
    EXPECT_FALSE(first->paused);
    EXPECT_FALSE(second->paused);
    EXPECT_FALSE(engine->AddTorrent(u"a.torrent"));  // started: no more torrents
    EXPECT_FALSE(engine->Start(Timer::Create(2, &timers)));
    EXPECT_FALSE(DownloadEngine::Create(DownloadEngineOptions(), session.Get(), &sink)->AddTorrent(u"missing.torrent"));
    Tick();
    EXPECT_EQ(session->alertRounds, 1);
}

TEST_F(EngineOverFakes, ATimerThatDoesNotStartReleasesTheSessionAndTheTorrents) {
    engine = DownloadEngine::Create(DownloadEngineOptions(), session.Get(), &sink);
    ASSERT_TRUE(engine->AddTorrent(u"a.torrent"));
    timers.FailNextArm();
    EXPECT_FALSE(engine->Start(Timer::Create(2, &timers)));
    EXPECT_FALSE(engine->Session());
    EXPECT_EQ(timers.ArmedCount(), 0u);
    first->Finished.Fire();
    EXPECT_TRUE(sink.events.empty());
}

TEST_F(EngineOverFakes, EarlyStatesReachTheSinkOnlyBeforeTheDownloadAndUnknownStatesAreErrors) {
    StartEngine();
    struct Case {
        int state;
        const char* expected;  // "" for nothing
    };
    for (const Case& c : {Case{0, ""}, Case{1, "checking"}, Case{7, "checking"}, Case{2, "connecting"},
                          Case{6, "connecting"}, Case{4, ""}, Case{5, ""}, Case{-1, "torrent error"},
                          Case{8, "torrent error"}}) {
        sink.events.clear();
        first->StateChanged.Fire(c.state);
        EXPECT_EQ(sink.events, c.expected[0] ? std::vector<std::string>{c.expected} : std::vector<std::string>{})
            << "state " << c.state;
    }
    first->StateChanged.Fire(3);
    EXPECT_EQ(engine->GetPhase(), DownloadEngine::Downloading);
    sink.events.clear();
    first->StateChanged.Fire(2);  // connecting only while starting
    first->StateChanged.Fire(1);  // checking goes on while downloading
    EXPECT_EQ(sink.events, std::vector<std::string>{"checking"});
}

TEST_F(EngineOverFakes, ProgressSumsEveryTorrentIn64BitsNeverGoesBackAndListsTheFastestPeerFirst) {
    first->totalSize = 3 * kGiB;
    second->totalSize = 2 * kGiB;
    first->SetDone(2 * kGiB);
    second->SetDone(kGiB + 5);
    first->progress.uploaded = 5 * kGiB;  // past 32 bits
    first->progress.downloadRate = 1000;
    second->progress.downloadRate = 24;
    for (int speed : {10, 300}) first->peers.PushBack(TorrentPeerInfo{WideString(u"p"), WideString(), 0, speed});
    second->peers.PushBack(TorrentPeerInfo{WideString(u"q"), WideString(), 0, 200});
    StartEngine();
    first->StateChanged.Fire(3);
    Tick();
    ASSERT_EQ(sink.progress.size(), 1u);
    EXPECT_EQ(sink.progress[0].first.totalDone, 3 * kGiB + 5);
    EXPECT_EQ(sink.progress[0].second, 5 * kGiB);
    EXPECT_EQ(sink.progress[0].first.percent, 60);
    EXPECT_EQ(sink.progress[0].first.downloadRate, 1024);
    EXPECT_EQ(sink.progress[0].first.uploaded, 5 * kGiB);
    EXPECT_EQ(sink.peerSpeeds.back(), (std::vector<int>{300, 200, 10}));
    EXPECT_FLOAT_EQ(engine->Speed().currentSpeed, 510.0f / 1024.0f);

    first->SetDone(kGiB);  // a re-check found less
    Tick();
    ASSERT_EQ(sink.progress.size(), 2u);
    EXPECT_EQ(sink.progress[1].first.totalDone, 3 * kGiB + 5);
    first->SetDone(4 * kGiB);  // more than its size counts as its size
    second->SetDone(2 * kGiB);
    Tick();
    EXPECT_EQ(sink.progress.back().first.totalDone, 5 * kGiB);
    EXPECT_EQ(sink.progress.back().first.percent, 100);
}

TEST_F(EngineOverFakes, NoBytesForMoreThanFifteenSecondsPastFourGibibytesIsPeersLost) {
    first->totalSize = 8 * kGiB;
    first->SetDone(5 * kGiB);
    first->progress.downloadRate = 77;
    first->progress.numPeers = 3;
    StartEngine();
    first->StateChanged.Fire(3);
    second->StateChanged.Fire(1);  // the other one still checks
    Tick();  // the first report
    sink.events.clear();
    Tick(7);  // 14 s without a byte
    EXPECT_EQ(sink.Count("peers lost"), 0);
    Tick();  // 16 s
    EXPECT_EQ(sink.events, (std::vector<std::string>{"peers lost", "progress", "checking"}));
    EXPECT_EQ(sink.progress.back().first.downloadRate, 0);
    EXPECT_EQ(sink.progress.back().first.numPeers, 0);
    EXPECT_EQ(sink.progress.back().first.totalDone, 5 * kGiB);
    Tick(8);  // and again 16 s later
    EXPECT_EQ(sink.Count("peers lost"), 2);
}

TEST_F(EngineOverFakes, EachTorrentFinishesOnceWhateverItReportsAndCompletionComesOnce) {
    StartEngine();
    first->state = 5;
    second->state = 4;
    first->Finished.Fire();
    first->Finished.Fire();  // a second report of the same torrent is no second torrent
    Tick();
    EXPECT_EQ(sink.Count("all finished"), 0);
    second->Finished.Fire();
    EXPECT_EQ(sink.Count("all finished"), 1);
    EXPECT_EQ(engine->GetPhase(), DownloadEngine::Complete);
    Tick();
    EXPECT_EQ(sink.Count("complete"), 1);
    EXPECT_FALSE(engine->Session());
    EXPECT_EQ(timers.ArmedCount(), 0u);
    second->Finished.Fire();
    engine->OnTick(2000);
    EXPECT_EQ(sink.Count("all finished"), 1);
    EXPECT_EQ(sink.Count("complete"), 1);
}

TEST_F(EngineOverFakes, AFinishWhileATorrentStillDownloadsIsAnErrorUntilAllAreDone) {
    StartEngine();
    first->state = 5;
    second->state = 3;
    first->Finished.Fire();
    second->Finished.Fire();
    EXPECT_EQ(sink.Count("torrent error"), 1);
    EXPECT_EQ(sink.Count("all finished"), 0);
    second->state = 5;
    sink.acceptFinish = false;  // the step could not take its result
    second->Finished.Fire();
    EXPECT_NE(engine->GetPhase(), DownloadEngine::Complete);
    sink.acceptFinish = true;
    second->Finished.Fire();
    EXPECT_EQ(engine->GetPhase(), DownloadEngine::Complete);
}

TEST_F(EngineOverFakes, APauseWithoutRoomOrAFileErrorReportsTheDiskOnEveryTick) {
    StartEngine();
    first->StateChanged.Fire(3);
    first->Paused.Fire();  // with room
    EXPECT_EQ(engine->GetPhase(), DownloadEngine::PausedWithRoom);
    first->Resumed.Fire();
    EXPECT_EQ(engine->GetPhase(), DownloadEngine::Starting);

    freeBytes = 4194304;  // not more than 4 MiB
    first->Paused.Fire();
    EXPECT_EQ(engine->GetPhase(), DownloadEngine::NoRoom);
    Tick(3);
    EXPECT_EQ(sink.Count("disk space"), 3);
    EXPECT_EQ(sink.Count("progress"), 0);

    // A resume of a pause that was not counted takes the count below 0: the next pause
    // with room only brings it back.
    freeBytes = 1ull << 30;
    first->Resumed.Fire();
    second->StateChanged.Fire(3);
    first->Paused.Fire();
    EXPECT_EQ(engine->GetPhase(), DownloadEngine::PausedWithRoom);
    second->FileError.Fire();
    EXPECT_EQ(engine->GetPhase(), DownloadEngine::NoRoom);
}

TEST_F(EngineOverFakes, TheCompletionTimeOutComesOnceWhenEveryByteIsReportedButNoFinish) {
    first->SetDone(first->totalSize);
    second->SetDone(second->totalSize);
    StartEngine();
    first->StateChanged.Fire(3);
    Tick(150);  // 300 s with every byte reported
    EXPECT_EQ(sink.Count("timeout"), 0);
    Tick();
    EXPECT_EQ(sink.Count("timeout"), 1);
    Tick(200);
    EXPECT_EQ(sink.Count("timeout"), 1);
}

TEST_F(EngineOverFakes, TheCompletionTimeOutWaitsWhileTheStepHoldsIt) {
    first->SetDone(first->totalSize);
    second->SetDone(second->totalSize);
    sink.timeoutApplies = false;
    StartEngine();
    first->StateChanged.Fire(3);
    Tick(200);
    EXPECT_EQ(sink.Count("timeout"), 0);
}

TEST_F(EngineOverFakes, TheChannelRuleLimitsTheSessionAndPausesItForOneTick) {
    DownloadEngineOptions options;
    options.speedRule = DownloadSpeedRule::Channel;
    first->peers.PushBack(TorrentPeerInfo{WideString(u"p"), WideString(), 0, 200 * 1024});
    first->SetDone(10);
    StartEngine(options);
    EXPECT_EQ(session->limits, std::vector<int>{0});  // no channel: unlimited
    first->StateChanged.Fire(3);
    Tick();  // measures 200 kB/s
    Workflow::RequestedChannel() = 50.0f;
    first->SetDone(20);
    Tick();
    EXPECT_EQ(session->limits.back(), 150);
    EXPECT_TRUE(session->paused);
    Tick();
    EXPECT_FALSE(session->paused);  // resumed by the next decision
    EXPECT_EQ(session->limits.back(), 150);
}

TEST_F(EngineOverFakes, WithLoggingOnEverySpeedDecisionIsALineOfTheDownloaderLog) {
    DownloadEngineOptions options;
    options.speedRule = DownloadSpeedRule::Channel;
    Settings::logEnabled.SetBool(true);
    Workflow::RequestedChannel() = 50.0f;
    StartEngine(options);
    first->StateChanged.Fire(3);
    Tick(2);
    Settings::logEnabled.SetBool(false);
    Tick();
    std::istringstream lines(ReadWholeFile(tree / "bin/launcher-downloader.log"));
    std::vector<std::string> texts;
    for (std::string line; std::getline(lines, line);) texts.push_back(line);
    ASSERT_EQ(texts.size(), 3u);  // the start and two ticks
    for (const std::string& line : texts) {
        ASSERT_GE(line.size(), 11u);
        EXPECT_EQ(line[0], '[');
        EXPECT_EQ(line[3], ':');
        EXPECT_EQ(line.substr(9, 2), "] ");
    }
    EXPECT_EQ(texts[0].substr(11), "curDownSpeed = 0.000000 curDownLimit = 100.000000 requestedChannel = 50.000000");
}

// The log is appended to in the launcher's folder, which the player can write: a link
// planted there does not make a root launcher append to a file of the system.
TEST(DownloaderLog, ALinkInPlaceOfTheLogIsNotAppendedTo) {
    GameTree tree;
    ASSERT_EQ(::chdir((tree / "bin").c_str()), 0);
    const LinkBait bait(tree / "etc/profile", tree / "bin/launcher-downloader.log");
    WriteDownloaderLog(1.0f, 2.0f, 3.0f);
    EXPECT_TRUE(bait.Untouched());
    EXPECT_TRUE(bait.LeftAlone());
}

TEST_F(EngineOverFakes, TheFutureUpdateModeTakesThePrepatchLimitsOfTheGame) {
    bool front = false;
    bool running = false;
    DownloadEngineOptions options;
    options.speedRule = DownloadSpeedRule::Channel;
    options.gameForeground = [&] { return front; };
    options.gameRunning = [&] { return running; };
    Workflow::FutureUpdate() = true;
    StartEngine(options);
    first->StateChanged.Fire(3);
    struct Case {
        bool front, running;
        float active, run;
        int limit;
    };
    for (const Case& c : {Case{false, false, 20, 100, 0}, Case{true, true, 20, 100, 20}, Case{false, true, 20, 100, 100},
                          Case{true, true, 0.5f, 100, 1}, Case{true, true, -3, 100, 0},
                          Case{true, true, std::numeric_limits<float>::quiet_NaN(), 100, 0}}) {
        front = c.front;
        running = c.running;
        Settings::prepatch_limit_active.SetFloat(c.active);
        Settings::prepatch_limit_run.SetFloat(c.run);
        Tick();
        EXPECT_EQ(session->limits.back(), c.limit) << c.front << c.running << c.active;
    }
    Workflow::FutureUpdate() = false;
    Settings::prepatch_limit_active.SetFloat(20);
    Settings::prepatch_limit_run.SetFloat(100);
}

TEST_F(EngineOverFakes, TheGameRuleLimitsEachTorrentAndResumesWhatTheEnginePaused) {
    bool front = true;
    DownloadEngineOptions options;
    options.speedRule = DownloadSpeedRule::Game;
    options.gameForeground = [&] { return front; };
    options.gameRunning = [] { return true; };
    StartEngine(options);
    EXPECT_FLOAT_EQ(first->downloadLimit, 20.0f);
    EXPECT_FLOAT_EQ(second->downloadLimit, 20.0f);
    first->StateChanged.Fire(3);
    front = false;
    first->paused = true;
    Tick();
    EXPECT_FLOAT_EQ(first->downloadLimit, 100.0f);
}

TEST_F(EngineOverFakes, TheRepairShapeDrainsAlertsFirstAndRepeatsItsCompletion) {
    DownloadEngineOptions options;
    options.alertsFirst = true;
    options.torrentsLog = false;
    options.reportEarlyStates = false;
    options.countPauses = false;
    options.reportWhilePaused = false;
    options.releaseOnComplete = false;
    options.completionTimeoutMs = 0;
    StartEngine(options);
    first->StateChanged.Fire(1);
    first->StateChanged.Fire(2);
    EXPECT_TRUE(sink.events.empty());
    first->StateChanged.Fire(3);
    first->Resumed.Fire();
    EXPECT_EQ(engine->GetPhase(), DownloadEngine::Starting);
    first->Paused.Fire();
    EXPECT_EQ(engine->GetPhase(), DownloadEngine::PausedWithRoom);
    Tick();
    EXPECT_EQ(sink.Count("progress"), 0);
    first->state = second->state = 5;
    first->Finished.Fire();
    second->Finished.Fire();
    Tick(3);
    EXPECT_EQ(sink.Count("complete"), 3);
    EXPECT_TRUE(engine->Session());
}

}  // namespace
