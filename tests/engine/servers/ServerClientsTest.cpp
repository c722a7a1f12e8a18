// The checking, launcher and repair clients against the scripted update server: the
// documents each asks for, in order, and the one event each run ends in.
#include <gtest/gtest.h>

#include <map>

#include "PatchServerFixture.h"
#include "engine/servers/HttpCheckingClient.h"
#include "engine/servers/HttpLauncherClient.h"
#include "engine/servers/HttpRipClient.h"

namespace {

using Reply = LoopbackHttpServer::Reply;
using Documents = std::vector<std::string>;

struct Events final : RefCounter {
    std::vector<std::string> seen;
    ByteVector torrent;
    RefPtr<RipPatchInfo> rip;

    bool Add(const std::string& event) {
        seen.push_back(event);
        return true;
    }
    bool OnValid() { return Add("valid"); }
    bool OnBroken() { return Add("broken"); }
    bool OnNetwork(int code) { return Add("network:" + std::to_string(code)); }
    bool OnServer(int code) { return Add("server:" + std::to_string(code)); }
    bool OnTorrent(ByteVector* bytes) {
        torrent = *bytes;
        return Add("torrent");
    }
    bool OnRip(RipPatchInfo* info) {
        rip = info;
        return Add("rip");
    }
};

template <class Client>
void ConnectErrors(Client& client, Events* events) {
    client.NetworkError.template Connect<&Events::OnNetwork>(events);
    client.ServerError.template Connect<&Events::OnServer>(events);
}

std::string Text(const ByteVector& bytes) { return std::string(bytes.begin(), bytes.end()); }

WideStringVector Versions(std::initializer_list<const char16_t*> texts) {
    WideStringVector versions;
    for (const char16_t* text : texts) versions.PushBack(WideString(text));
    return versions;
}

const std::string kHistory = HistoryDocument(HistoryVersion("1.0.1", {"1.0.2"}) + HistoryVersion("1.0.2", {"1.0.3"}) +
                                             HistoryVersion("1.0.3"));

class ServerClientsTest : public ::testing::Test {
protected:
    template <class Client>
    std::string Run(Client& client) {
        EXPECT_TRUE(client.Request());
        PollUntil([&](std::int64_t elapsed) { return client.Poll(elapsed); }, [&] { return !events->seen.empty(); });
        EXPECT_EQ(events->seen.size(), 1u);
        return events->seen.empty() ? "(none)" : events->seen[0];
    }

    std::string Check(const WideStringVector& installed, const WideStringVector& planned) {
        events = new Events();
        RefPtr<HttpCheckingClient> client =
            HttpCheckingClient::Create(LoopbackAddress(*server), StandardDocuments(), installed, planned);
        if (!client) return "(no client)";
        client->ChainValid.Connect<&Events::OnValid>(events.Get());
        client->ChainBroken.Connect<&Events::OnBroken>(events.Get());
        ConnectErrors(*client, events.Get());
        return Run(*client);
    }

    std::string Repair(const std::map<std::string, Reply>& documents) {
        server = std::make_unique<LoopbackHttpServer>();
        for (const auto& [path, reply] : documents) server->Script(path, reply);
        events = new Events();
        RefPtr<HttpRipClient> client = HttpRipClient::Create(LoopbackAddress(*server), StandardDocuments());
        client->RipInfoReady.Connect<&Events::OnRip>(events.Get());
        ConnectErrors(*client, events.Get());
        return Run(*client);
    }

    std::unique_ptr<LoopbackHttpServer> server = std::make_unique<LoopbackHttpServer>();
    RefPtr<Events> events = new Events();
};

TEST_F(ServerClientsTest, TheCheckingClientTestsTheInstalledVersionsFollowedByThePlan) {
    EXPECT_EQ(Check({}, Versions({u"1.0.2"})), "(no client)");
    EXPECT_EQ(Check(Versions({u"1.0.1"}), {}), "(no client)");

    server->Script("/upd/PatchesHistory.xdb", Reply::Document(kHistory));
    EXPECT_EQ(Check(Versions({u"1.0.1"}), Versions({u"1.0.2", u"1.0.3"})), "valid");
    EXPECT_EQ(Check(Versions({u"1.0.1"}), Versions({u"1.0.3"})), "broken");
    EXPECT_EQ(DocumentsAsked(*server), (Documents{"PatchesHistory.xdb", "PatchesHistory.xdb"}));

    server->Script("/upd/PatchesHistory.xdb", Reply::Document("garbage"));
    EXPECT_EQ(Check(Versions({u"1.0.1"}), Versions({u"1.0.2"})), "server:-3");
    server->Script("/upd/PatchesHistory.xdb", Reply::Document("", "HTTP/1.1 500 Internal Server Error"));
    EXPECT_EQ(Check(Versions({u"1.0.1"}), Versions({u"1.0.2"})), "server:-1");
    server->Script("/upd/PatchesHistory.xdb", Reply::Raw(""));
    EXPECT_EQ(Check(Versions({u"1.0.1"}), Versions({u"1.0.2"})), "network:3");
}

TEST_F(ServerClientsTest, TheLauncherClientHandsOverItsTorrent) {
    server->Script("/upd/Launcher.torrent", Reply::Document("d4:infod4:name8:Launcheree"));
    RefPtr<HttpLauncherClient> client = HttpLauncherClient::Create(LoopbackAddress(*server), StandardDocuments());
    client->TorrentReceived.Connect<&Events::OnTorrent>(events.Get());
    ConnectErrors(*client, events.Get());
    EXPECT_EQ(Run(*client), "torrent");
    EXPECT_EQ(Text(events->torrent), "d4:infod4:name8:Launcheree");
    EXPECT_EQ(DocumentsAsked(*server), Documents{"Launcher.torrent"});
}

TEST_F(ServerClientsTest, TheRepairClientAsksForItsFourDocumentsInOrder) {
    const std::map<std::string, Reply> complete = {
        {"/upd/PatchesHistory.xdb", Reply::Document(kHistory)},
        {"/upd/rip/Rip.torrent", Reply::Document("rip torrent")},
        {"/upd/Launcher.torrent", Reply::Document("launcher torrent")},
        {"/upd/versions/game.version", Reply::Document("ver5 bytes")},
    };
    EXPECT_EQ(Repair(complete), "rip");
    EXPECT_EQ(DocumentsAsked(*server),
              (Documents{"PatchesHistory.xdb", "rip/Rip.torrent", "Launcher.torrent", "versions/game.version"}));
    const RipPatchInfo& rip = *events->rip;
    EXPECT_EQ(String(rip.ripTorrentName).Std(), "rip/Rip.torrent");
    EXPECT_EQ(Text(rip.ripTorrentBytes), "rip torrent");
    EXPECT_EQ(String(rip.launcherTorrentName).Std(), "Launcher.torrent");
    EXPECT_EQ(Text(rip.launcherTorrentBytes), "launcher torrent");
    EXPECT_EQ(Text(rip.versionFileBytes), "ver5 bytes");

    // A later document that fails hands nothing over.
    std::map<std::string, Reply> lastMissing = complete;
    lastMissing["/upd/versions/game.version"] = Reply::Document("", "HTTP/1.0 404 Not Found");
    EXPECT_EQ(Repair(lastMissing), "server:-1");
    EXPECT_EQ(DocumentsAsked(*server).size(), 4u);
    EXPECT_FALSE(events->rip);

    // The repair installer is not used, but a history without it is not a history.
    std::map<std::string, Reply> noInstaller = complete;
    std::string history = kHistory;
    history.replace(history.find("repair.exe"), 10, "");
    noInstaller["/upd/PatchesHistory.xdb"] = Reply::Document(history);
    EXPECT_EQ(Repair(noInstaller), "server:-3");
    EXPECT_EQ(DocumentsAsked(*server), Documents{"PatchesHistory.xdb"});

    // Names with nothing to save under are refused before they are asked for.
    std::map<std::string, Reply> badName = complete;
    history = kHistory;
    history.replace(history.find("rip/Rip.torrent"), 15, "rip/..");
    badName["/upd/PatchesHistory.xdb"] = Reply::Document(history);
    EXPECT_EQ(Repair(badName), "server:-3");
    EXPECT_EQ(DocumentsAsked(*server), Documents{"PatchesHistory.xdb"});
}

}  // namespace
