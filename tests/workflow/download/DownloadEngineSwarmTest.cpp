// The download engine on a real torrent session against the loopback swarm: a libtorrent
// seed named by a tracker and the swarm's folder as web seed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <libtorrent/bencode.hpp>
#include <libtorrent/entry.hpp>

#include "base/runtime/StrUtil.h"
#include <unistd.h>

#include <glib.h>

#include "platform/glib/GlibTimerHost.h"
#include "support/GameTree.h"
#include "support/ManualTimerHost.h"
#include "support/TempDir.h"
#include "support/torrents/LoopbackSwarm.h"
#include "support/torrents/SessionDriver.h"
#include "workflow/download/DownloadEngine.h"
#include "QuietDownloadSink.h"

namespace {

WideString Wide(const std::string& text) { return StrUtil::ToWide(String(text.c_str())); }

struct Sink final : IDownloadSink {
    std::vector<TorrentProgress> progress;
    std::vector<std::int64_t> totals;
    int complete = 0;
    int finished = 0;
    int peersLost = 0;
    int peerReports = 0;
    int errors = 0;

    void OnChecking() override {}
    void OnConnecting() override {}
    void OnProgress(const TorrentProgress& sum, std::int64_t total) override {
        progress.push_back(sum);
        totals.push_back(total);
    }
    void OnPeersInfo(const Vector<TorrentPeerInfo>&) override { ++peerReports; }
    void OnPeersLost() override { ++peersLost; }
    void OnTorrentError() override { ++errors; }
    void OnDiskSpaceError() override { ++errors; }
    bool OnAllFinished() override {
        ++finished;
        return true;
    }
    void OnComplete() override { ++complete; }
    void OnCompleteTimeout() override { ++errors; }
};

const Payload& FirstPatch() {
    static const Payload payload = {{"a.patch", PatternBytes(16 * 1024 * 20, 1)}, {"game.version", "1.0.1"}};
    return payload;
}
const Payload& SecondPatch() {
    static const Payload payload = {{"b.patch", PatternBytes(16 * 1024 * 12, 2)},
                                    {"данные/c.bin", PatternBytes(16 * 1024 * 30 + 77, 3)}};
    return payload;
}

class EngineOnSwarm : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(::chdir((tree / "bin").c_str()), 0); }  // the torrents log lands in the tree

    // Publishes the payload and puts its torrent into the download folder.
    void Publish(const std::string& top, const Payload& payload, bool tracker) {
        TorrentOptions options;
        if (tracker) options.trackers.push_back(swarm.TrackerUrl());
        const std::string torrent = swarm.Publish(top, payload, options);
        ASSERT_FALSE(torrent.empty());
        downloads.WriteFile(top + ".torrent", torrent);
    }

    RefPtr<DownloadEngine> StartEngine(const std::vector<std::string>& torrents, bool webSeed = true) {
        DownloadEngineOptions options;
        options.folder = Wide(downloads.Path());
        options.session = LoopbackSessionConfig();
        if (webSeed) options.session.seedUrls.PushBack(String(swarm.WebSeedUrl().c_str()));
        RefPtr<DownloadEngine> engine = DownloadEngine::Create(options, &sink);
        EXPECT_TRUE(engine);
        if (!engine) return nullptr;
        for (const std::string& name : torrents) EXPECT_TRUE(engine->AddTorrent(Wide(name)));
        EXPECT_TRUE(engine->Start(Timer::Create(2, &timers)));
        return engine;
    }

    bool Same(const std::string& top, const Payload& payload) const {
        for (const PayloadFile& file : payload) {
            if (downloads.ReadFile(top + "/" + file.path) != file.bytes) return false;
        }
        return true;
    }

    GameTree tree;
    ManualTimerHost timers;
    LoopbackSwarm swarm;
    TempDir downloads;
    Sink sink;
};

TEST_F(EngineOnSwarm, AChainOfTorrentsArrivesWithMonotoneProgressToTheWholeTotalAndCompletesOnce) {
    Publish("p1", FirstPatch(), true);
    Publish("p2", SecondPatch(), true);
    swarm.Seed().LimitUploads(512 * 1024);  // a few seconds, so that many ticks see bytes arrive
    RefPtr<DownloadEngine> engine = StartEngine({"p1.torrent", "p2.torrent"}, false);
    ASSERT_TRUE(TickUntil(timers, [&] { return sink.complete > 0; }));
    TickUntil(timers, [] { return false; }, std::chrono::milliseconds(200));  // a few more ticks
    EXPECT_EQ(sink.complete, 1);
    EXPECT_EQ(sink.finished, 1);
    EXPECT_EQ(sink.errors, 0);
    EXPECT_FALSE(engine->Session());
    EXPECT_TRUE(Same("p1", FirstPatch()));
    EXPECT_TRUE(Same("p2", SecondPatch()));

    const std::int64_t total = 16 * 1024 * 62 + 77 + 5;
    ASSERT_FALSE(sink.progress.empty());
    for (std::size_t i = 0; i < sink.progress.size(); ++i) {
        EXPECT_EQ(sink.totals[i], total);
        if (i == 0) continue;
        EXPECT_GE(sink.progress[i].totalDone, sink.progress[i - 1].totalDone);
        EXPECT_GE(sink.progress[i].percent, sink.progress[i - 1].percent);
    }
    EXPECT_EQ(sink.progress.back().totalDone, total);
    EXPECT_EQ(sink.progress.back().percent, 100);
    EXPECT_GT(sink.progress.size(), 3u);
    EXPECT_GT(sink.peerReports, 0);
}

// On the program's main loop the engine takes the session's alerts as they come: the
// finish completes in the same turn that reports it, not on a later tick.
TEST_F(EngineOnSwarm, OnTheMainLoopAFinishCompletesAtOnceWithoutWaitingForATick) {
    Publish("p1", FirstPatch(), true);
    struct TickingSink final : QuietDownloadSink {
        int ticks = 0;
        int ticksAtFinish = -1;
        int ticksAtComplete = -1;
        bool OnTick(std::int64_t) {
            ++ticks;
            return true;
        }
        bool OnAllFinished() override {
            ticksAtFinish = ticks;
            return true;
        }
        void OnComplete() override { ticksAtComplete = ticks; }
    } ticking;
    struct Counter final : RefCounter {
        TickingSink* sink;
        explicit Counter(TickingSink* s) : sink(s) {}
        bool OnTick(std::int64_t ms) { return sink->OnTick(ms); }
    };
    GlibTimerHost loop(&Timer::TimerProc);
    DownloadEngineOptions options;
    options.folder = Wide(downloads.Path());
    options.session = LoopbackSessionConfig();
    RefPtr<DownloadEngine> engine = DownloadEngine::Create(options, &ticking);
    ASSERT_TRUE(engine && engine->AddTorrent(u"p1.torrent"));
    RefPtr<ITimer> timer(Timer::Create(2, &loop));
    RefPtr<Counter> counter(new Counter(&ticking));
    timer->OnTick.Connect<&Counter::OnTick>(counter.Get());
    ASSERT_TRUE(engine->Start(timer));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (ticking.ticksAtComplete < 0 && std::chrono::steady_clock::now() < deadline) {
        g_main_context_iteration(nullptr, TRUE);
    }
    ASSERT_GE(ticking.ticksAtComplete, 0);
    EXPECT_EQ(ticking.ticksAtComplete, ticking.ticksAtFinish);
    EXPECT_TRUE(Same("p1", FirstPatch()));
}

TEST_F(EngineOnSwarm, ADeadWebSeedAndNoPeerIsPeersLost) {
    Publish("p1", FirstPatch(), false);
    swarm.Http().SetDead(true);
    RefPtr<DownloadEngine> engine = StartEngine({"p1.torrent"});
    ASSERT_TRUE(TickUntil(timers, [&] { return sink.peersLost > 0; }));
    EXPECT_EQ(engine->GetPhase(), DownloadEngine::Downloading);
    ASSERT_FALSE(sink.progress.empty());
    EXPECT_EQ(sink.progress.back().totalDone, 0);
    EXPECT_EQ(sink.progress.back().downloadRate, 0);
    EXPECT_EQ(sink.complete, 0);
}

TEST_F(EngineOnSwarm, ASecondRunOverTheSameFolderFetchesOnlyWhatIsMissing) {
    Publish("p2", SecondPatch(), false);  // web seed only: every byte is counted there
    {
        RefPtr<DownloadEngine> engine = StartEngine({"p2.torrent"});
        ASSERT_TRUE(TickUntil(timers, [&] { return sink.complete > 0; }));
    }
    const std::uint64_t firstB = swarm.Http().PayloadBytesServed("/p2/b.patch");
    const std::uint64_t firstC = swarm.Http().PayloadBytesServed("/p2/данные/c.bin");
    EXPECT_EQ(firstB, SecondPatch()[0].bytes.size());
    // The run was killed while c.bin was being written: only its first half is there.
    const std::string cPath = downloads / "p2/данные/c.bin";
    std::filesystem::resize_file(cPath, 16 * 1024 * 15);

    sink = Sink();
    RefPtr<DownloadEngine> engine = StartEngine({"p2.torrent"});
    ASSERT_TRUE(TickUntil(timers, [&] { return sink.complete > 0; }));
    EXPECT_TRUE(Same("p2", SecondPatch()));
    EXPECT_EQ(swarm.Http().PayloadBytesServed("/p2/b.patch"), firstB);  // nothing of the complete file
    const std::uint64_t secondC = swarm.Http().PayloadBytesServed("/p2/данные/c.bin") - firstC;
    EXPECT_GT(secondC, 0u);
    EXPECT_LE(secondC, 16u * 1024 * 16 + 77);  // the missing half and its boundary piece
}

// A torrent of one file at the path elements given, pieces unchecked: what a hostile
// server could send.
std::string TorrentWithPath(const std::vector<std::string>& elements) {
    lt::entry file;
    file["length"] = 5;
    lt::entry::list_type path;
    for (const std::string& element : elements) path.emplace_back(element);
    file["path"] = path;
    lt::entry torrent;
    torrent["info"]["name"] = "p";
    torrent["info"]["piece length"] = 16384;
    torrent["info"]["pieces"] = std::string(20, 'x');
    torrent["info"]["files"] = lt::entry::list_type{file};
    std::string bytes;
    lt::bencode(std::back_inserter(bytes), torrent);
    return bytes;
}

TEST_F(EngineOnSwarm, TorrentsWhoseFilesWouldLeaveTheFolderAreRefused) {
    DownloadEngineOptions options;
    options.folder = Wide(downloads.Path());
    options.session = LoopbackSessionConfig();
    RefPtr<DownloadEngine> engine = DownloadEngine::Create(options, &sink);
    ASSERT_TRUE(engine);
    downloads.WriteFile("good.torrent", TorrentWithPath({"ok", "evil"}));
    EXPECT_TRUE(engine->AddTorrent(u"good.torrent"));
    for (const auto& elements : std::vector<std::vector<std::string>>{
             {"..", "evil"}, {"a", "..", "..", "evil"}, {"/etc", "evil"}, {"a/../../evil"}, {""}}) {
        downloads.WriteFile("bad.torrent", TorrentWithPath(elements));
        EXPECT_FALSE(engine->AddTorrent(u"bad.torrent")) << elements[0];
    }
    EXPECT_EQ(engine->TorrentCount(), 1u);
}

}  // namespace
