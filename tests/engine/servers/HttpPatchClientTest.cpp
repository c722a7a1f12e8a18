// The patch server client against the scripted update server: a decision table of the
// installed version, the server's answers and the workflow's switches against the one
// final event and the documents the server was asked for; then the patches it hands
// over, the server list it saves, and the addresses SplitUrl reads.
#include "engine/servers/HttpPatchClient.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <memory>

#include "PatchServerFixture.h"
#include "support/GameTree.h"

namespace {

using Reply = LoopbackHttpServer::Reply;
using Documents = std::vector<std::string>;

// Numeric dotted versions, missing parts as 0.
int Compare(const std::string& a, const std::string& b) {
    auto parts = [](const std::string& text) {
        std::vector<long> numbers;
        std::size_t start = 0;
        while (start <= text.size()) {
            const std::size_t dot = std::min(text.find('.', start), text.size());
            numbers.push_back(std::atol(text.substr(start, dot - start).c_str()));
            start = dot + 1;
        }
        return numbers;
    };
    std::vector<long> x = parts(a), y = parts(b);
    x.resize(std::max(x.size(), y.size()));
    y.resize(x.size());
    return x < y ? -1 : (x > y ? 1 : 0);
}

struct FakeWorkflow final : IPatchWorkflow {
    bool future = false;
    bool serverList = false;
    std::string serverListUrl;
    std::string prepatchReady;
    std::string ownLauncher;
    std::string serverVersion = "(unset)";
    std::string offered;

    bool FutureUpdate() const override { return future; }
    bool ServerListWanted() const override { return serverList; }
    String ServerListUrl() const override { return String(serverListUrl.c_str()); }
    String PrepatchReady() const override { return String(prepatchReady.c_str()); }
    WideString OwnLauncherVersion() const override { return WideString(String(ownLauncher.c_str())); }
    int CompareVersions(const String& a, const String& b) const override { return Compare(a.Std(), b.Std()); }
    void SetServerVersion(const String& version) override { serverVersion = version.Std(); }
    void OfferPrepatch(const String& version) override { offered = version.Std(); }
};

// The client's one outcome as text: "ready:TOOOLD:V1,V2", "finished", "launcher",
// "network:CODE" or "server:CODE".
struct Outcome final : RefCounter {
    std::vector<std::string> events;
    RefPtr<PatchInfos> patches;

    bool OnReady(PatchInfos* list, bool tooOld) {
        patches = list;
        std::string versions;
        for (const RefPtr<PatchInfo>& patch : list->items) versions += (versions.empty() ? "" : ",") + String(patch->patchedTo).Std();
        events.push_back(std::string("ready:") + (tooOld ? "true" : "false") + ":" + versions);
        return true;
    }
    bool OnFinished() { return Add("finished"); }
    bool OnLauncher() { return Add("launcher"); }
    bool OnNetwork(int code) { return Add("network:" + std::to_string(code)); }
    bool OnServer(int code) { return Add("server:" + std::to_string(code)); }
    bool Add(const std::string& event) {
        events.push_back(event);
        return true;
    }
};

std::string CurrentVersionDocument(const std::string& game, const std::string& prepatch = "",
                                   const std::string& launcher = "") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Base><gameVersion>" + game + "</gameVersion><prepatchVersion>" +
           prepatch + "</prepatchVersion><launcherVersion>" + launcher + "</launcherVersion></Base>";
}

// 1.0.3 -> 1.0.4 -> 1.0.5 -> 1.0.6 -> 1.0.7; the server announces 1.0.6 as current.
const std::string kHistory = HistoryDocument(HistoryVersion("1.0.3", {"1.0.4"}) + HistoryVersion("1.0.4", {"1.0.5"}) +
                                             HistoryVersion("1.0.5", {"1.0.6"}) + HistoryVersion("1.0.6", {"1.0.7"}) +
                                             HistoryVersion("1.0.7"));

class HttpPatchClientTest : public ::testing::Test {
protected:
    // Scripts the server's documents: the history, every torrent of it, and overrides.
    void Serve(const std::string& currentVersion, const std::map<std::string, Reply>& overrides = {}) {
        server->Script("/upd/CurrentVersion.xdb", Reply::Document(currentVersion));
        server->Script("/upd/PatchesHistory.xdb", Reply::Document(kHistory));
        for (const char* patch : {"1.0.3-1.0.4", "1.0.4-1.0.5", "1.0.5-1.0.6", "1.0.6-1.0.7"})
            server->Script(std::string("/upd/") + patch + ".torrent", Reply::Document(std::string("d4:name") + patch + "e"));
        for (const auto& [path, reply] : overrides) server->Script(path, reply);
    }

    std::string Run(const std::string& installed) {
        outcome = new Outcome();
        client = HttpPatchClient::Create(LoopbackAddress(*server), WideString(String(installed.c_str())),
                                         StandardDocuments(), workflow);
        if (!client) return "(no client)";
        client->PatchesReady.Connect<&Outcome::OnReady>(outcome.Get());
        client->Finished.Connect<&Outcome::OnFinished>(outcome.Get());
        client->LauncherUpdateRequired.Connect<&Outcome::OnLauncher>(outcome.Get());
        client->NetworkError.Connect<&Outcome::OnNetwork>(outcome.Get());
        client->ServerError.Connect<&Outcome::OnServer>(outcome.Get());
        EXPECT_TRUE(client->Request());
        PollUntil([&](std::int64_t elapsed) { return client->Poll(elapsed); }, [&] { return !outcome->events.empty(); });
        EXPECT_EQ(outcome->events.size(), 1u);
        return outcome->events.empty() ? "(none)" : outcome->events[0];
    }

    // A fresh server: for each case of a table.
    void Restart() { server = std::make_unique<LoopbackHttpServer>(); }

    std::unique_ptr<LoopbackHttpServer> server = std::make_unique<LoopbackHttpServer>();
    FakeWorkflow workflow;
    RefPtr<HttpPatchClient> client;
    RefPtr<Outcome> outcome = new Outcome();
};

TEST_F(HttpPatchClientTest, DecisionTable) {
    struct Case {
        const char* what;
        std::string installed;
        std::string currentVersion;
        std::string prepatchReady;
        bool future;
        std::map<std::string, Reply> overrides;
        std::string event;
        Documents asked;
    };
    const Documents kCurrentOnly{"CurrentVersion.xdb"};
    const Documents kWithHistory{"CurrentVersion.xdb", "PatchesHistory.xdb"};
    const Case cases[] = {
        {"current, nothing on offer", "1.0.6", CurrentVersionDocument("1.0.6"), "", false, {}, "finished", kCurrentOnly},
        {"current, another launcher", "1.0.6", CurrentVersionDocument("1.0.6", "", "2"), "", false, {}, "launcher",
         kCurrentOnly},
        {"current, the future patch already downloaded", "1.0.6", CurrentVersionDocument("1.0.6", "1.0.7"), "1.0.7", false,
         {}, "finished", kCurrentOnly},
        {"current, a future patch on offer: the history, no torrent", "1.0.6", CurrentVersionDocument("1.0.6", "1.0.7"),
         "", false, {}, "finished", kWithHistory},
        {"behind: one torrent per patch of the chain, up to the announced version", "1.0.4",
         CurrentVersionDocument("1.0.6", "1.0.7"), "", false, {}, "ready:false:1.0.5,1.0.6",
         {"CurrentVersion.xdb", "PatchesHistory.xdb", "1.0.4-1.0.5.torrent", "1.0.5-1.0.6.torrent"}},
        {"the oldest patchable version is too old", "1.0.3", CurrentVersionDocument("1.0.6"), "", false, {},
         "ready:true:1.0.4,1.0.5,1.0.6",
         {"CurrentVersion.xdb", "PatchesHistory.xdb", "1.0.3-1.0.4.torrent", "1.0.4-1.0.5.torrent", "1.0.5-1.0.6.torrent"}},
        {"the future patch asked for: past the announced version", "1.0.6", CurrentVersionDocument("1.0.6", "1.0.7"), "",
         true, {}, "ready:false:1.0.7", {"CurrentVersion.xdb", "PatchesHistory.xdb", "1.0.6-1.0.7.torrent"}},
        {"versions are compared as texts: 1.0.05 is not 1.0.5", "1.0.05", CurrentVersionDocument("1.0.5"), "", false, {},
         "server:-2", kWithHistory},
        {"at the latest version, but not the announced one", "1.0.7", CurrentVersionDocument("1.0.6"), "", false, {},
         "finished", kWithHistory},
        {"an HTML page for the current version", "1.0.4", "<html><body>maintenance</body></html>", "", false, {},
         "server:-3", kCurrentOnly},
        {"no game version", "1.0.4", CurrentVersionDocument(""), "", false, {}, "server:-3", kCurrentOnly},
        {"current version not found", "1.0.4", "", "", false,
         {{"/upd/CurrentVersion.xdb", Reply::Document("", "HTTP/1.0 404 Not Found")}}, "server:-1", kCurrentOnly},
        {"current version cut off", "1.0.4", "", "", false, {{"/upd/CurrentVersion.xdb", Reply::Raw("HTTP/1.0 200 OK\r\n")}},
         "network:3", kCurrentOnly},
        {"history not found", "1.0.4", CurrentVersionDocument("1.0.6"), "", false,
         {{"/upd/PatchesHistory.xdb", Reply::Document("", "HTTP/1.0 404 Not Found")}}, "server:-1", kWithHistory},
        {"history not found while only a future patch is looked for: quiet", "1.0.6",
         CurrentVersionDocument("1.0.6", "1.0.7"), "", false,
         {{"/upd/PatchesHistory.xdb", Reply::Document("", "HTTP/1.0 404 Not Found")}}, "finished", kWithHistory},
        {"history without its repair names", "1.0.4", CurrentVersionDocument("1.0.6"), "", false,
         {{"/upd/PatchesHistory.xdb", Reply::Document("<Base><versions/></Base>")}}, "server:-3", kWithHistory},
        {"a torrent fails in the middle of the chain", "1.0.4", CurrentVersionDocument("1.0.6"), "", false,
         {{"/upd/1.0.5-1.0.6.torrent", Reply::Raw("")}}, "network:3",
         {"CurrentVersion.xdb", "PatchesHistory.xdb", "1.0.4-1.0.5.torrent", "1.0.5-1.0.6.torrent"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Restart();
        workflow = FakeWorkflow();
        workflow.prepatchReady = c.prepatchReady;
        workflow.future = c.future;
        Serve(c.currentVersion, c.overrides);
        EXPECT_EQ(Run(c.installed), c.event);
        EXPECT_EQ(DocumentsAsked(*server), c.asked);
    }
}

TEST_F(HttpPatchClientTest, PatchesCarryTheirTorrentsInChainOrderAndTheAnnouncementsStay) {
    Serve(CurrentVersionDocument("1.0.6"));
    ASSERT_EQ(Run("1.0.4"), "ready:false:1.0.5,1.0.6");
    ASSERT_EQ(outcome->patches->items.Size(), 2u);
    const PatchInfo& second = *outcome->patches->items[1];
    EXPECT_EQ(String(second.torrentFile).Std(), "1.0.5-1.0.6.torrent");
    EXPECT_EQ(second.kind, 1);
    EXPECT_EQ(std::string(second.torrentBytes.begin(), second.torrentBytes.end()), "d4:name1.0.5-1.0.6e");
    EXPECT_EQ(workflow.serverVersion, "1.0.6");
    EXPECT_EQ(workflow.offered, "");
}

TEST_F(HttpPatchClientTest, AFuturePatchOnOfferIsLeftForTheWorkflow) {
    Serve(CurrentVersionDocument("1.0.6", "1.0.7"));
    EXPECT_EQ(Run("1.0.6"), "finished");
    EXPECT_EQ(workflow.offered, "1.0.7");  // the history's last version
}

TEST_F(HttpPatchClientTest, NamesThatCannotBeUsedNeverReachARequest) {
    for (const char* name : {"1.0.5-1.0.6\r\nX-Injected: 1", "patches/..", "patches/"}) {
        SCOPED_TRACE(name);
        Restart();
        const std::string history = HistoryDocument(
            "<Item><versionNumber>1.0.5</versionNumber><updates><Item><patchedTo>1.0.6</patchedTo><torrentFile>" +
            std::string(name) + "</torrentFile></Item></updates></Item>" + HistoryVersion("1.0.6"));
        Serve(CurrentVersionDocument("1.0.6"), {{"/upd/PatchesHistory.xdb", Reply::Document(history)}});
        EXPECT_EQ(Run("1.0.5"), "server:-3");
        EXPECT_EQ(DocumentsAsked(*server), (Documents{"CurrentVersion.xdb", "PatchesHistory.xdb"}));
    }
}

TEST_F(HttpPatchClientTest, TheServerListIsFetchedWhereThePageAskedAndSavedWhole) {
    GameTree game;
    std::filesystem::remove_all(game / "Personal");
    ASSERT_EQ(chdir((game / "bin").c_str()), 0);
    workflow.serverList = true;
    workflow.serverListUrl = server->BaseUrl() + "lists/servers.xml";
    const std::string list("<servers>\0bytes</servers>", 25);
    server->Script("/lists/servers.xml", Reply::Document(list));
    Serve(CurrentVersionDocument("1.0.6"));
    EXPECT_EQ(Run("1.0.6"), "finished");
    EXPECT_EQ(DocumentsAsked(*server), (Documents{"CurrentVersion.xdb", "/lists/servers.xml"}));
    EXPECT_EQ(ReadWholeFile(game / "Personal/srvlist.xml"), list);

    // With a future patch asked for, the list is not fetched; a list that cannot be
    // fetched is a failure like any other.
    workflow.future = true;
    EXPECT_EQ(Run("1.0.7"), "finished");
    EXPECT_EQ(DocumentsAsked(*server).size(), 4u);
    workflow.future = false;
    workflow.serverListUrl = server->BaseUrl() + "lists/missing.xml";
    EXPECT_EQ(Run("1.0.6"), "server:-1");
    workflow.serverListUrl = "nothing after the host";
    EXPECT_EQ(Run("1.0.6"), "network:6");
}

TEST_F(HttpPatchClientTest, AnEmptyInstalledVersionMakesNoClient) {
    EXPECT_FALSE(HttpPatchClient::Create(LoopbackAddress(*server), WideString(), StandardDocuments(), workflow));
}

TEST(SplitUrl, ReadsHostPortAndPath) {
    struct Case {
        const char* url;
        const char* host;
        int port;
        const char* path;
    } cases[] = {
        {"http://lists.example:8080/a/b.xml", "lists.example", 8080, "/a/b.xml"},
        {"http://lists.example/a.xml", "lists.example", 80, "/a.xml"},
        {"http://lists.example", "", 80, ""},
        {"lists.example/a.xml", "", 80, ""},
        {"http://h/a//b.xml", "h", 80, "/a"},
        {"http://h:0x1F90/x", "h", 8080, "/x"},
        {"http://h:99999/x", "h", 34463, "/x"},
        {"http://h:-1/x", "h", 65535, "/x"},
        {"http://h:/x", "h", 0, "/x"},
        {"http://h:port/x", "h", 0, "/x"},
        {"", "", 80, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        String host, path;
        std::uint16_t port = 1;
        SplitUrl(String(c.url), host, port, path);
        EXPECT_EQ(host.Std(), c.host);
        EXPECT_EQ(port, c.port);
        EXPECT_EQ(path.Std(), c.path);
    }
}

}  // namespace
