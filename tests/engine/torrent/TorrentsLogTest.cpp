// The torrents log over a scripted torrent: relayed events, the peers kept, the lines written.
#include <gtest/gtest.h>
#include <unistd.h>

#include <sstream>

#include "base/runtime/StrUtil.h"
#include "engine/torrent/TorrentsLog.h"
#include "support/GameTree.h"

namespace {

class FakeTorrent final : public ITorrent {
public:
    explicit FakeTorrent(const char16_t* name) : name_(name) {}

    Vector<TorrentPeerInfo> peers;

    void GetSelectedFiles(StringVector&) override {}
    int GetState() override { return 3; }
    std::int64_t GetTotalSize() override { return 0; }
    void GetProgress(TorrentProgress&) override {}
    void GetPeers(Vector<TorrentPeerInfo>& out) override {
        for (const TorrentPeerInfo& peer : peers) out.PushBack(peer);
    }
    WideString GetName() override { return name_; }
    bool IsPaused() override { return false; }
    void Pause(bool) override {}
    void SetDownloadLimit(float) override {}
    float GetDownloadLimit() override { return -1.0f; }
    WideString GetRootFolder() override { return WideString(); }
    bool SelectFiles(const StringVector&, std::int64_t&) override { return true; }
    bool SelectExactFiles(const StringVector&, std::int64_t&) override { return true; }
    void Reannounce() override {}

private:
    WideString name_;
};

TorrentPeerInfo Peer(const char16_t* endpoint, const char16_t* id, std::uint32_t down, std::uint32_t up) {
    TorrentPeerInfo peer;
    peer.endpoint = endpoint;
    peer.id = id;
    peer.downSpeed = 1000;
    peer.totalDownload = down;
    peer.totalUpload = up;
    return peer;
}

struct Listener : RefCounter {
    std::vector<int> states;
    int finished = 0;
    bool OnState(int state) {
        states.push_back(state);
        return true;
    }
    bool OnFinished() {
        ++finished;
        return true;
    }
};

// The launcher runs in ROOT/bin and writes ROOT/Personal/Logs/torrents.log.
class TorrentsLogTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(::chdir((tree / "bin").c_str()), 0); }

    // The lines written so far, without their time prefix.
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        std::istringstream in(ReadWholeFile(tree / "Personal/Logs/torrents.log"));
        for (std::string line; std::getline(in, line);) {
            const std::size_t text = line.find(": ");
            lines.push_back(text == std::string::npos ? "(no time prefix) " + line : line.substr(text + 2));
        }
        return lines;
    }

    GameTree tree;
};

// One test writes all lines: the log of a run opens once, at its first use.
TEST_F(TorrentsLogTest, WritesEveryPeerSeenOnEachFinish) {
    TorrentsLog log;
    RefPtr<Listener> listener(new Listener);
    log.Finished.Connect<&Listener::OnFinished>(listener.Get());
    RefPtr<FakeTorrent> torrent(new FakeTorrent(u"/game/patches/patch-1.2.torrent"));
    log.AddTorrent(torrent.Get());
    // A name from the server that would forge a line of its own.
    RefPtr<FakeTorrent> quick(new FakeTorrent(u"C:\\patches\\evil\nTorrent x finished.torrent"));
    log.AddTorrent(quick.Get());

    torrent->peers.PushBack(Peer(u"10.0.0.9 : 6881", u"-LT2080-first", 100, 0));
    torrent->peers.PushBack(Peer(u"10.0.0.10 : 50000", u"-A2-1-36-", 4000000000u, 7));
    log.UpdateAll();
    // The first peer reconnects from the same port with a new id (kept: first sighting),
    // the second one from another port (a line of its own); the old entries stay.
    torrent->peers.Clear();
    torrent->peers.PushBack(Peer(u"10.0.0.9 : 6881", u"-LT2080-other", 250, 3));
    torrent->peers.PushBack(Peer(u"10.0.0.10 : 50001", u"-A2-1-36-", 10, 0));
    log.UpdateAll();

    quick->Finished.Fire();  // saw no peer at any tick
    torrent->Finished.Fire();
    torrent->Finished.Fire();  // a second report writes everything again
    const std::vector<std::string> once = {
        "Torrent patch-1.2.torrent finished",
        "Statistics:",
        "ip: 10.0.0.10 : 50000, id:-A2-1-36-, dl: 4000000000, up: 7",
        "ip: 10.0.0.10 : 50001, id:-A2-1-36-, dl: 10, up: 0",
        "ip: 10.0.0.9 : 6881, id:-LT2080-first, dl: 250, up: 3",
    };
    std::vector<std::string> expected = {
        "Starting downloading torrent: patch-1.2.torrent",
        "Starting downloading torrent: evil\\x0ATorrent x finished.torrent",
        "Torrent evil\\x0ATorrent x finished.torrent finished",
        "Statistics:",
    };
    expected.insert(expected.end(), once.begin(), once.end());
    expected.insert(expected.end(), once.begin(), once.end());
    EXPECT_EQ(Lines(), expected);
    EXPECT_EQ(listener->finished, 3);
}

TEST_F(TorrentsLogTest, RelaysStatesAndKnowsTheLastOfEachTorrent) {
    TorrentsLog log;
    RefPtr<Listener> listener(new Listener);
    log.StateChanged.Connect<&Listener::OnState>(listener.Get());
    RefPtr<FakeTorrent> first(new FakeTorrent(u"a.torrent"));
    RefPtr<FakeTorrent> second(new FakeTorrent(u"b.torrent"));
    log.AddTorrent(first.Get());
    log.AddTorrent(second.Get());
    EXPECT_FALSE(log.AnyInState(1));  // nobody has reported yet: all at -1
    first->StateChanged.Fire(1);
    second->StateChanged.Fire(3);
    EXPECT_TRUE(log.AnyInState(1));
    first->StateChanged.Fire(3);
    EXPECT_FALSE(log.AnyInState(1));
    EXPECT_TRUE(log.AnyInState(3));
    EXPECT_EQ(listener->states, (std::vector<int>{1, 3, 3}));
}

}  // namespace
