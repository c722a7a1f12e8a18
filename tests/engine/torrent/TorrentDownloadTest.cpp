// Downloads over a loopback swarm: the launcher's session against a libtorrent seed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "base/io/MemoryMappedFile.h"
#include "base/runtime/StrUtil.h"
#include "engine/torrent/SeedServerFilter.h"
#include "engine/torrent/Torrent.h"
#include "engine/torrent/TorrentSession.h"
#include "engine/torrent/TorrentsLog.h"
#include "support/GameTree.h"
#include "support/TempDir.h"
#include "support/RequiredEnvironment.h"
#include "support/torrents/Aria2Seed.h"
#include "support/torrents/LoopbackSwarm.h"
#include "support/torrents/SeedSession.h"
#include "support/torrents/SessionDriver.h"

namespace {

WideString Wide(const std::string& text) { return StrUtil::ToWide(String(text.c_str())); }
std::string Narrow(const WideString& text) { return StrUtil::ToNarrow(text).Std(); }

// What one torrent reported, in order.
struct Events : RefCounter {
    std::vector<std::string> seen;
    int finished = 0;
    bool OnState(int state) {
        seen.push_back("state " + std::to_string(state));
        return true;
    }
    bool OnFinished() {
        ++finished;
        seen.push_back("finished");
        return true;
    }
    bool OnPaused() {
        seen.push_back("paused");
        return true;
    }
    bool OnResumed() {
        seen.push_back("resumed");
        return true;
    }
    bool OnFileError() {
        seen.push_back("file error");
        return true;
    }
    // Listens to the torrent from now on.
    static RefPtr<Events> Of(ITorrent& torrent) {
        RefPtr<Events> events(new Events);
        torrent.StateChanged.Connect<&Events::OnState>(events.Get());
        torrent.Finished.Connect<&Events::OnFinished>(events.Get());
        torrent.Paused.Connect<&Events::OnPaused>(events.Get());
        torrent.Resumed.Connect<&Events::OnResumed>(events.Get());
        torrent.FileError.Connect<&Events::OnFileError>(events.Get());
        return events;
    }
    bool Saw(const std::string& event) const { return std::find(seen.begin(), seen.end(), event) != seen.end(); }
};

// The peers one torrent reported, as "endpoint id" texts, in order.
struct PeerEvents : RefCounter {
    std::vector<std::string> connected;
    std::vector<std::string> disconnected;
    bool OnConnected(const WideString& id, const WideString& endpoint) {
        connected.push_back(StrUtil::ToNarrow(endpoint).Std() + " " + StrUtil::ToNarrow(id).Std());
        return true;
    }
    bool OnDisconnected(const WideString& id, const WideString& endpoint) {
        disconnected.push_back(StrUtil::ToNarrow(endpoint).Std() + " " + StrUtil::ToNarrow(id).Std());
        return true;
    }
    // Listens to the torrent from now on.
    static RefPtr<PeerEvents> Of(ITorrent& torrent) {
        RefPtr<PeerEvents> peers(new PeerEvents);
        torrent.PeerConnected.Connect<&PeerEvents::OnConnected>(peers.Get());
        torrent.PeerDisconnected.Connect<&PeerEvents::OnDisconnected>(peers.Get());
        return peers;
    }
    static bool AnyFrom(const std::vector<std::string>& peers, const std::string& address) {
        for (const std::string& peer : peers)
            if (peer.rfind(address + " : ", 0) == 0) return true;
        return false;
    }
};

// A swarm, and a session folder of the launcher that receives its torrents.
class SwarmDownload : public ::testing::Test {
protected:
    void SetUp() override {
        session = TorrentSession::Create(LoopbackSessionConfig(), Wide(folder.Path()), 0);
        ASSERT_TRUE(session);
    }

    // Publishes the payload in the swarm and adds its torrent to the session, paused.
    RefPtr<ITorrent> AddPublished(const std::string& name, const Payload& payload, const TorrentOptions& options = {}) {
        const std::string torrent = swarm.Publish(name, payload, options);
        if (torrent.empty()) return nullptr;
        folder.WriteFile(name + ".torrent", torrent);
        return session->AddTorrent(Wide(name + ".torrent"));
    }

    // A session whose every torrent has the swarm's web seed.
    void UseWebSeed() {
        TorrentSessionConfig config = LoopbackSessionConfig();
        config.seedUrls.PushBack(String(swarm.WebSeedUrl().c_str()));
        session = TorrentSession::Create(config, Wide(folder.Path()), 0);
        ASSERT_TRUE(session);
    }

    // Resumes the torrent and dials the seed.
    void Start(ITorrent& torrent) {
        torrent.Pause(false);
        ConnectToSeed(torrent, swarm.Seed().Endpoint());
    }

    bool SameFiles(const std::string& top, const Payload& payload) const {
        for (const PayloadFile& file : payload) {
            if (folder.ReadFile(top + "/" + file.path) != file.bytes) return false;
        }
        return true;
    }

    LoopbackSwarm swarm;
    TempDir folder;
    RefPtr<TorrentSession> session;
};

const Payload& TwoFiles() {
    static const Payload payload = {{"a.bin", PatternBytes(300000, 1)}, {"sub/b.bin", PatternBytes(70000, 2)}};
    return payload;
}

TEST_F(SwarmDownload, FromTheSeedWithProgressPeersAndTheTorrentsLog) {
    GameTree tree;
    ASSERT_EQ(::chdir((tree / "bin").c_str()), 0);
    RefPtr<ITorrent> torrent = AddPublished("Patch", TwoFiles());
    ASSERT_TRUE(torrent);
    swarm.Seed().LimitUploads(1 << 20);  // slow enough to meet the seed after its handshake
    RefPtr<Events> events = Events::Of(*torrent);
    TorrentsLog log;
    log.AddTorrent(torrent.Get());
    Start(*torrent);

    // As the owner's tick does: the peers are noted while the bytes arrive.
    Vector<TorrentPeerInfo> peersSeen;
    ASSERT_TRUE(DriveUntil(*session, [&] {
        log.UpdateAll();
        Vector<TorrentPeerInfo> peers;
        torrent->GetPeers(peers);
        if (!peers.Empty() && !peers[0].id.IsEmpty()) peersSeen = peers;
        return events->finished > 0 && torrent->GetState() == 5;
    }));
    EXPECT_TRUE(SameFiles("Patch", TwoFiles()));
    EXPECT_EQ(events->finished, 1);
    EXPECT_TRUE(events->Saw("state 3"));
    EXPECT_TRUE(events->Saw("state 5"));

    TorrentProgress progress;
    torrent->GetProgress(progress);
    EXPECT_EQ(progress.percent, 100);
    EXPECT_EQ(progress.totalDone, 370000);

    ASSERT_FALSE(peersSeen.Empty());
    const std::string seedEndpoint = "127.0.0.2 : " + std::to_string(swarm.Seed().Port());
    EXPECT_EQ(Narrow(peersSeen[0].endpoint), seedEndpoint);
    EXPECT_EQ(Narrow(peersSeen[0].id).substr(0, 8), "-LT2080-");  // libtorrent 2.0.8's own id
    EXPECT_EQ(peersSeen[0].upSpeed, 0);  // nothing goes up to a seed

    std::istringstream lines(ReadWholeFile(tree / "Personal/Logs/torrents.log"));
    std::vector<std::string> texts;
    for (std::string line; std::getline(lines, line);) texts.push_back(line.substr(line.find(": ") + 2));
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0], "Starting downloading torrent: patch.torrent");
    EXPECT_EQ(texts[1], "Torrent patch.torrent finished");
    EXPECT_EQ(texts[2], "Statistics:");
    // The id as first seen, which may be before the handshake brought it.
    EXPECT_EQ(texts[3].rfind("ip: " + seedEndpoint + ", id:", 0), 0u) << texts[3];
    EXPECT_NE(texts[3].find(", up: 0"), std::string::npos) << texts[3];
}

TEST_F(SwarmDownload, PadFilesOfAHybridTorrentAreNeverSeen) {
    RefPtr<ITorrent> torrent = AddPublished("Hybrid", TwoFiles(), {TorrentFormat::Hybrid});
    ASSERT_TRUE(torrent);
    EXPECT_EQ(torrent->GetTotalSize(), 370000);
    RefPtr<Events> events = Events::Of(*torrent);
    Start(*torrent);
    ASSERT_TRUE(DriveUntil(*session, [&] { return events->finished > 0; }));
    TorrentProgress progress;
    torrent->GetProgress(progress);
    EXPECT_EQ(progress.percent, 100);
    EXPECT_EQ(progress.totalDone, 370000);
    EXPECT_TRUE(SameFiles("Hybrid", TwoFiles()));
    EXPECT_FALSE(std::filesystem::exists(folder / "Hybrid/.pad"));

    // The finished download is whole for a later session that finds it on disk, which
    // checks it and reports it finished as well.
    TempDir other;
    other.WriteFile("Hybrid.torrent", folder.ReadFile("Hybrid.torrent"));
    RefPtr<TorrentSession> later = TorrentSession::Create(LoopbackSessionConfig(), Wide(other.Path()), 0);
    ASSERT_TRUE(later);
    RefPtr<ITorrent> existing = later->AddExistingTorrent(u"Hybrid.torrent", Wide(folder.Path()));
    ASSERT_TRUE(existing);
    RefPtr<Events> laterEvents = Events::Of(*existing);
    existing->Pause(false);
    ASSERT_TRUE(DriveUntil(*later, [&] { return laterEvents->finished > 0; }));
    EXPECT_TRUE(laterEvents->Saw("state 1"));  // checked first
    EXPECT_EQ(existing->GetState(), 5);
}

TEST_F(SwarmDownload, PausesAndResumesTheTorrentAndTheSession) {
    RefPtr<ITorrent> torrent = AddPublished("Patch", TwoFiles());
    ASSERT_TRUE(torrent);
    RefPtr<Events> events = Events::Of(*torrent);
    torrent->Pause(false);
    ASSERT_TRUE(DriveUntil(*session, [&] { return events->Saw("resumed"); }));

    session->Pause();
    ASSERT_TRUE(DriveUntil(*session, [&] { return events->Saw("paused"); }));
    EXPECT_TRUE(session->IsPaused());
    EXPECT_FALSE(torrent->IsPaused());  // the session's pause leaves the torrent's own flag
    events->seen.clear();
    session->Resume();
    ASSERT_TRUE(DriveUntil(*session, [&] { return events->Saw("resumed"); }));

    torrent->Pause(true);
    ASSERT_TRUE(DriveUntil(*session, [&] { return events->Saw("paused"); }));
    EXPECT_TRUE(torrent->IsPaused());
    events->seen.clear();
    Start(*torrent);
    ASSERT_TRUE(DriveUntil(*session, [&] { return events->finished > 0; }));
    EXPECT_TRUE(events->Saw("resumed"));
    EXPECT_TRUE(SameFiles("Patch", TwoFiles()));
}

TEST_F(SwarmDownload, AFileWhereAFolderBelongsIsAFileError) {
    const std::string torrentBytes = swarm.Publish("Patch", TwoFiles());
    folder.WriteFile("Patch.torrent", torrentBytes);
    folder.WriteFile("Patch/sub", "a file, not the folder the torrent needs");
    RefPtr<ITorrent> torrent = session->AddTorrent(u"Patch.torrent");
    ASSERT_TRUE(torrent);
    RefPtr<Events> events = Events::Of(*torrent);
    Start(*torrent);
    ASSERT_TRUE(DriveUntil(*session, [&] { return events->Saw("file error"); }));
    EXPECT_EQ(events->finished, 0);
    EXPECT_EQ(folder.ReadFile("Patch/sub"), "a file, not the folder the torrent needs");
}

// The owner lets go of everything inside a handler while more alerts of the same batch
// wait: the session outlives the batch, and nothing more is dispatched.
TEST_F(SwarmDownload, AHandlerMayReleaseTheOwnerDuringTheDispatch) {
    struct Owner : RefCounter {
        RefPtr<TorrentSession> session;
        std::vector<RefPtr<ITorrent>> torrents;
        int calls = 0;
        bool OnResumed() {
            ++calls;
            torrents.clear();
            session = nullptr;
            return true;
        }
    };
    RefPtr<Owner> owner(new Owner);
    for (const char* name : {"One", "Two"}) {
        RefPtr<ITorrent> torrent = AddPublished(name, {{"f.bin", PatternBytes(40000, name[0])}});
        ASSERT_TRUE(torrent);
        torrent->Resumed.Connect<&Owner::OnResumed>(owner.Get());
        owner->torrents.push_back(torrent);
    }
    // libtorrent posts a resume's alert as it resumes: once both torrents read as
    // resumed, both alerts wait in one batch.
    for (const RefPtr<ITorrent>& torrent : owner->torrents) torrent->Pause(false);
    for (const RefPtr<ITorrent>& torrent : owner->torrents) ASSERT_FALSE(torrent->IsPaused());
    WeakPtr<TorrentSession> watch(session);
    TorrentSession* raw = session.Get();
    owner->session = session;
    session = nullptr;
    raw->ProcessAlerts();
    EXPECT_EQ(owner->calls, 1);
    EXPECT_FALSE(watch.IsAlive());  // ended once the dispatch was over
}

// The seed's connection and its end are events of the torrent: the end comes once
// both sides have every piece, and by then the peer has said who it is.
TEST_F(SwarmDownload, APeersConnectionAndItsEndAreEvents) {
    RefPtr<ITorrent> torrent = AddPublished("Patch", TwoFiles());
    ASSERT_TRUE(torrent);
    RefPtr<Events> events = Events::Of(*torrent);
    RefPtr<PeerEvents> peers = PeerEvents::Of(*torrent);
    Start(*torrent);
    ASSERT_TRUE(DriveUntil(*session, [&] { return events->finished > 0 && !peers->disconnected.empty(); }));
    const std::string seed = "127.0.0.2 : " + std::to_string(swarm.Seed().Port());
    ASSERT_EQ(peers->connected.size(), 1u);
    EXPECT_EQ(peers->connected[0].rfind(seed + " ", 0), 0u) << peers->connected[0];
    ASSERT_EQ(peers->disconnected.size(), 1u);
    EXPECT_EQ(peers->disconnected[0].rfind(seed + " -LT2080-", 0), 0u) << peers->disconnected[0];
}

// Whatever the IP filter blocks, the seed servers stay admitted: with every other
// address blocked, the web seed (127.0.0.1, named with its port) serves the whole
// torrent and answers as its tracker, while the seed peer (127.0.0.2) that the tracker
// names, and that the torrent dials as well, is never connected.
TEST_F(SwarmDownload, AFilteredPeerIsNeverConnectedWhileTheSeedServersStayAdmitted) {
    UseWebSeed();
    lt::ip_filter blockAll;
    blockAll.add_rule(lt::make_address("0.0.0.0"), lt::make_address("255.255.255.255"), lt::ip_filter::blocked);
    session->Engine().set_ip_filter(TorrentEngine::AdmitSeedServers(blockAll, session->Config().seedUrls));
    RefPtr<ITorrent> torrent = AddPublished("Patch", TwoFiles(), {.trackers = {swarm.TrackerUrl()}});
    ASSERT_TRUE(torrent);
    RefPtr<Events> events = Events::Of(*torrent);
    RefPtr<PeerEvents> peers = PeerEvents::Of(*torrent);
    Start(*torrent);
    bool peerSeen = false;
    auto announced = [this] {
        for (const std::string& target : swarm.Http().RequestedTargets())
            if (target.rfind("/announce", 0) == 0) return true;
        return false;
    };
    ASSERT_TRUE(DriveUntil(*session, [&] {
        Vector<TorrentPeerInfo> now;
        torrent->GetPeers(now);
        for (const TorrentPeerInfo& peer : now) peerSeen = peerSeen || Narrow(peer.endpoint).rfind("127.0.0.2 ", 0) == 0;
        return events->finished > 0 && announced();
    }));
    EXPECT_TRUE(SameFiles("Patch", TwoFiles()));
    EXPECT_FALSE(peerSeen);
    EXPECT_FALSE(PeerEvents::AnyFrom(peers->connected, "127.0.0.2"));
    EXPECT_EQ(swarm.Http().PayloadBytesServed("/Patch/a.bin") + swarm.Http().PayloadBytesServed("/Patch/sub/b.bin"),
              370000u);
    std::vector<lt::peer_info> seedSide;
    for (const lt::torrent_handle& seeded : swarm.Seed().Engine().get_torrents()) {
        std::vector<lt::peer_info> more;
        seeded.get_peer_info(more);
        seedSide.insert(seedSide.end(), more.begin(), more.end());
    }
    EXPECT_TRUE(seedSide.empty());
}

// An independent BitTorrent implementation as the only seed, found through the tracker.
TEST_F(SwarmDownload, FromAria2cAsTheOnlySeed) {
    if (Aria2Seed::Executable().empty()) SKIP_UNLESS_REQUIRED("aria2c is not installed");
    TempDir published;  // not seeded by the libtorrent seed: aria2c alone has these files
    const std::string torrentBytes =
        MakeTorrent(published.Path(), "Patch", TwoFiles(), {.trackers = {swarm.TrackerUrl()}});
    Aria2Seed aria2(torrentBytes, published.Path(), 1 << 20);  // slow enough to meet it after the handshake
    ASSERT_TRUE(aria2.Start()) << aria2.Log();
    swarm.Http().SetTrackerPeers({{"127.0.0.2", aria2.Port()}});
    folder.WriteFile("Patch.torrent", torrentBytes);
    RefPtr<ITorrent> torrent = session->AddTorrent(u"Patch.torrent");
    ASSERT_TRUE(torrent);
    RefPtr<Events> events = Events::Of(*torrent);
    torrent->Pause(false);
    WideString peerId;
    ASSERT_TRUE(DriveUntil(*session, [&] {
        Vector<TorrentPeerInfo> peers;
        torrent->GetPeers(peers);
        if (!peers.Empty() && !peers[0].id.IsEmpty()) peerId = peers[0].id;
        return events->finished > 0;
    })) << aria2.Log();
    EXPECT_TRUE(SameFiles("Patch", TwoFiles()));
    EXPECT_EQ(events->finished, 1);
    EXPECT_EQ(Narrow(peerId).substr(0, 3), "A2-") << Narrow(peerId);  // aria2's own id
}

// The seed servers of the configuration serve every torrent, without peer or tracker.
TEST_F(SwarmDownload, FromTheWebSeedAlone) {
    UseWebSeed();
    RefPtr<ITorrent> torrent = AddPublished("Patch", TwoFiles());
    ASSERT_TRUE(torrent);
    RefPtr<Events> events = Events::Of(*torrent);
    torrent->Pause(false);
    ASSERT_TRUE(DriveUntil(*session, [&] { return events->finished > 0; }));
    EXPECT_TRUE(SameFiles("Patch", TwoFiles()));
    EXPECT_EQ(events->finished, 1);
    EXPECT_EQ(swarm.Http().PayloadBytesServed("/Patch/a.bin") + swarm.Http().PayloadBytesServed("/Patch/sub/b.bin"),
              370000u);
}

// A web seed that answers 404 to everything leaves the torrent downloading nothing,
// never finished: what the download steps report as lost peers.
TEST_F(SwarmDownload, ADeadWebSeedLeavesTheTorrentStalled) {
    UseWebSeed();
    swarm.Http().SetDead(true);
    RefPtr<ITorrent> torrent = AddPublished("Patch", TwoFiles());
    ASSERT_TRUE(torrent);
    RefPtr<Events> events = Events::Of(*torrent);
    torrent->Pause(false);
    // Asked, refused, and given up for now.
    ASSERT_TRUE(DriveUntil(*session, [&] {
        Vector<TorrentPeerInfo> peers;
        torrent->GetPeers(peers);
        return !swarm.Http().Requests().empty() && peers.Empty();
    }));
    TorrentProgress progress;
    torrent->GetProgress(progress);
    EXPECT_EQ(progress.totalDone, 0);
    EXPECT_EQ(progress.numPeers, 0);
    EXPECT_EQ(torrent->GetState(), 3);
    EXPECT_EQ(events->finished, 0);
    EXPECT_FALSE(events->Saw("file error"));
}

// Many torrents finish while nobody takes the alerts; the one batch taken afterwards
// still holds every finish: the session's alert mask keeps libtorrent's queue short.
TEST_F(SwarmDownload, ManyTorrentsLoseNoFinish) {
    constexpr int kTorrents = 40;
    // The engine's queue may pause a torrent midway when the machine is slow and resume
    // it later; libtorrent then dials the seed it has just left only after a minute. The
    // web seed carries such a torrent on at once.
    UseWebSeed();
    std::vector<RefPtr<ITorrent>> torrents;
    std::vector<RefPtr<Events>> events;
    for (int i = 0; i < kTorrents; ++i) {
        RefPtr<ITorrent> torrent = AddPublished("P" + std::to_string(i), {{"f.bin", PatternBytes(100000, i)}},
                                                {.trackers = {swarm.TrackerUrl()}});
        ASSERT_TRUE(torrent);
        events.push_back(Events::Of(*torrent));
        torrent->Pause(false);
        torrents.push_back(torrent);
    }
    const auto allSeeding = [&] {
        for (const RefPtr<ITorrent>& torrent : torrents) {
            if (torrent->GetState() != 5) return false;
        }
        return true;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!allSeeding() && std::chrono::steady_clock::now() < deadline) {
        session->Engine().wait_for_alert(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(allSeeding());
    // Every finish is in the batch; each event follows once its files are on disk.
    session->ProcessAlerts();
    ASSERT_TRUE(DriveUntil(*session, [&] {
        for (const RefPtr<Events>& seen : events) {
            if (seen->finished == 0) return false;
        }
        return true;
    }));
    for (int i = 0; i < kTorrents; ++i) EXPECT_EQ(events[i]->finished, 1) << "torrent " << i;
}

// The session's disk I/O leaves the launcher's SIGBUS guard in place: a mapped read of a
// file that another process cut short still fails cleanly once the session has written
// a download and read files back to serve them. (Once libtorrent touches a file it
// mapped, its own handler is in place, and that one ends the process.)
TEST_F(SwarmDownload, GuardedMappedReadsSurviveTheSessionsDiskIo) {
    TempDir dir;
    const std::size_t size = CMemoryMappedFile::kCopyLimit + (4u << 20);
    dir.WriteFile("large.pak", PatternBytes(size, 9));
    RefPtr<CMemoryMappedFile> file(new CMemoryMappedFile(String((dir / "large.pak").c_str()), FileSource::Read));
    char bytes[64];
    ASSERT_EQ(file->Read(bytes, sizeof bytes), sizeof bytes);  // mapped and guarded before the session works

    // libtorrent maps only files above its mmap_file_size_cutoff (640 KiB).
    RefPtr<ITorrent> torrent = AddPublished("Patch", {{"mapped.pak", PatternBytes(2u << 20, 4)}});
    ASSERT_TRUE(torrent);
    RefPtr<Events> events = Events::Of(*torrent);
    Start(*torrent);
    ASSERT_TRUE(DriveUntil(*session, [&] { return events->finished > 0; }));
    // Another peer fetches the download from the launcher.
    SeedSession peer({"127.0.0.3"});
    TempDir fetched;
    const lt::tcp::endpoint launcher(lt::make_address("127.0.0.1"), session->Engine().listen_port());
    const lt::torrent_handle fetch = peer.DownloadFrom(folder.ReadFile("Patch.torrent"), fetched.Path(), launcher);
    ASSERT_TRUE(fetch.is_valid());
    ASSERT_TRUE(DriveUntil(*session, [&] { return fetch.status({}).is_seeding; }));

    CutFromAnotherProcess(dir / "large.pak", 1 << 20);
    ASSERT_TRUE(file->SetCursor((1u << 20) + (64u << 10)));
    EXPECT_EQ(file->Read(bytes, sizeof bytes), 0u);
    EXPECT_TRUE(file->HasError());
}

}  // namespace
