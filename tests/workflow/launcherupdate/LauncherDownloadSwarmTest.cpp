// The whole launcher download on loopback: the update server hands out a
// "Launcher.torrent" whose top folder holds a recording stand-in "Launcher.exe"; 2700
// saves it, 2701 downloads the files on the shared engine from the torrent's own web
// seed, and 2702 starts the stand-in, which records how.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "base/runtime/StrUtil.h"
#include "support/ArgvRecord.h"
#include "support/GameTree.h"
#include "support/ManualTimerHost.h"
#include "support/TempDir.h"
#include "support/torrents/LoopbackSwarm.h"
#include "support/torrents/SessionDriver.h"
#include "workflow/PageCommands.h"
#include "workflow/RecordingWindow.h"
#include "workflow/launcherupdate/DownloadedLauncher.h"
#include "workflow/launcherupdate/LauncherDownloadState.h"
#include "workflow/launcherupdate/LauncherTree.h"

namespace {

using Reply = LoopbackHttpServer::Reply;

bool Saw(const RecordingWindow& window, const std::u16string& name) {
    for (const EventRecord& event : window.events)
        if (event[0] == name) return true;
    return false;
}

class LauncherDownloadOnSwarm : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::chdir((tree / "bin").c_str()), 0);  // the torrents log lands in the tree
        ASSERT_TRUE(ReadWholeFile(ARGV_RECORDER_PATH, recorder));
        ::setenv("ARGV_RECORDER_OUT", (temp / "record").c_str(), 1);
    }
    void TearDown() override { ::unsetenv("ARGV_RECORDER_OUT"); }

    // The launcher's torrent, served by the update server; its web seed is its own
    // url-list entry: the session knows no seed servers.
    void Publish(const std::string& torrentBytes = std::string()) {
        TorrentOptions options;
        options.webSeeds.push_back(swarm.WebSeedUrl());
        const std::string torrent =
            swarm.Publish("Brennic", {{"Launcher.exe", recorder}, {"game.version", "version 2"}}, options);
        ASSERT_FALSE(torrent.empty());
        swarm.Http().Script("/upd/Launcher.torrent", Reply::Document(torrentBytes.empty() ? torrent : torrentBytes));
    }

    LauncherDownloadSteps Steps() {
        LauncherDownloadSteps steps;
        steps.torrentFetch = [this](LauncherDownloadView* view) {
            ServerAddress address;
            address.host = String("127.0.0.1");
            address.basePath = String("/upd/");
            address.port = swarm.Http().Port();
            address.timeoutMs = 30000;
            RefPtr<HttpLauncherClient> client = HttpLauncherClient::Create(
                address,
                ServerDocuments{String("CurrentVersion.xdb"), String("PatchesHistory.xdb"), String("Launcher.torrent")});
            return LauncherDownloadTorrentFunctor::Create(view, client.Get(), temp.Path());
        };
        steps.filesDownload = [](LauncherDownloadView* view, const WideString& torrentPath) {
            DownloadEngineOptions options;
            options.session = LoopbackSessionConfig();
            return LauncherDownloadFilesFunctor::Create(view, torrentPath, options);
        };
        steps.ownPath = [] { return std::string("/games/Brennic Online/bin/Launcher.exe"); };
        return steps;
    }

    bool Command(int code, const char16_t* argument = u"") { return state->OnCommand(code, WideString(argument)); }

    GameTree tree;
    TempDir temp;
    LoopbackSwarm swarm;
    ManualTimerHost timers;
    RecordingWindow window{&timers};
    RefPtr<LauncherDownloadState> state;
    std::string recorder;
};

TEST_F(LauncherDownloadOnSwarm, FetchesDownloadsAndStartsTheNewLauncher) {
    Publish();
    state = new LauncherDownloadState(&window, Steps());
    EXPECT_FALSE(Command(PageCommand::DownloadLauncher)) << "nothing fetched yet";
    ASSERT_TRUE(Command(PageCommand::NewLauncher));
    ASSERT_TRUE(TickUntil(timers, [&] { return Saw(window, u"LauncherDownload.OnFinishTorrentDownload"); },
                          std::chrono::seconds(20), 10));
    ASSERT_TRUE(Command(PageCommand::DownloadLauncher));
    ASSERT_TRUE(TickUntil(timers, [&] { return Saw(window, u"LauncherDownload.OnFinishFilesDownload"); }));
    EXPECT_FALSE(Saw(window, u"LauncherDownload.OnTorrentError"));
    EXPECT_TRUE(Saw(window, u"Downloader.OnProgress"));
    // The last progress has every byte, as whole decimal texts.
    for (auto event = window.events.rbegin(); event != window.events.rend(); ++event) {
        if ((*event)[0] != u"Downloader.OnProgress") continue;
        EXPECT_EQ((*event)[1], u"100");
        EXPECT_EQ((*event)[2], (*event)[3]);
        break;
    }

    EXPECT_TRUE(Command(PageCommand::RunDownloadedLauncher, u"1"));
    EXPECT_EQ(window.ended, std::vector<int>{2});
    ArgvRecord record;
    ASSERT_TRUE(WaitForArgvRecord(temp / "record", 10000, record));
    ASSERT_EQ(record.argv.size(), 3u);
    EXPECT_EQ(record.argv[1], "/update");
    EXPECT_EQ(record.argv[2], "/games/Brennic Online");
    EXPECT_EQ(record.workingDir.substr(record.workingDir.size() - 8), "/Brennic");
    EXPECT_EQ(record.workingDir.rfind(temp.Path() + "LAU", 0), 0u) << record.workingDir;
    EXPECT_EQ(ReadWholeFile(record.workingDir + "/game.version"), "version 2");
}

TEST_F(LauncherDownloadOnSwarm, ATorrentThatCannotBeAddedIsATorrentError) {
    Publish("this is no torrent");
    state = new LauncherDownloadState(&window, Steps());
    ASSERT_TRUE(Command(PageCommand::NewLauncher));
    ASSERT_TRUE(TickUntil(timers, [&] { return Saw(window, u"LauncherDownload.OnFinishTorrentDownload"); },
                          std::chrono::seconds(20), 10));
    EXPECT_FALSE(Command(PageCommand::DownloadLauncher));
    EXPECT_TRUE(Saw(window, u"LauncherDownload.OnTorrentError"));
    // Without a finished download nothing starts, and the window closes all the same.
    EXPECT_TRUE(Command(PageCommand::RunDownloadedLauncher, u"1"));
    EXPECT_EQ(window.ended, std::vector<int>{2});
    EXPECT_FALSE(ReadWholeFile(temp / "record", recorder));
}

TEST_F(LauncherDownloadOnSwarm, ADownloadFolderGoneSinceTheFetchIsATorrentError) {
    Publish();
    state = new LauncherDownloadState(&window, Steps());
    ASSERT_TRUE(Command(PageCommand::NewLauncher));
    ASSERT_TRUE(TickUntil(timers, [&] { return Saw(window, u"LauncherDownload.OnFinishTorrentDownload"); },
                          std::chrono::seconds(20), 10));
    std::vector<FolderEntry> entries;
    ASSERT_TRUE(ListFolder(temp.Path(), entries));
    ASSERT_EQ(entries.size(), 1u);
    std::filesystem::remove_all(temp / entries[0].name);
    EXPECT_FALSE(Command(PageCommand::DownloadLauncher));
    EXPECT_EQ(window.Names().back(), u"LauncherDownload.OnTorrentError");
}

TEST(LauncherMode, OnlyWholeNumbersCount) {
    const std::vector<std::pair<const char16_t*, int>> cases = {
        {u"1", 1},   {u"2", 2},     {u"0x2", 2},  {u"01", 1}, {u"010", 8}, {u"", 0},
        {u"1abc", 0}, {u" 2", 0},   {u"-1", -1},  {u"1099511627776", 0},   {u"2 ", 0},
    };
    for (const auto& [text, mode] : cases) EXPECT_EQ(ParseLauncherMode(WideString(text)), mode) << String(WideString(text)).CStr();
}

}  // namespace
