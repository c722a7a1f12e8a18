// The launcher download's fetch of "Launcher.torrent" from a loopback update server,
// and the start of the downloaded launcher: a recording stand-in as "Launcher.exe"
// in the download folder's top folder tells how it was started.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <sys/stat.h>
#include <thread>

#include "base/runtime/Log.h"
#include "base/runtime/StrUtil.h"
#include "support/ArgvRecord.h"
#include "support/LoopbackHttpServer.h"
#include "support/ManualTimerHost.h"
#include "support/LinkBait.h"
#include "support/TempDir.h"
#include "workflow/RecordingWindow.h"
#include "workflow/launcherupdate/DownloadedLauncher.h"
#include "workflow/launcherupdate/LauncherDownloadTorrentFunctor.h"
#include "workflow/launcherupdate/LauncherTree.h"

namespace {

using Reply = LoopbackHttpServer::Reply;

ServerAddress LoopbackAddress(const LoopbackHttpServer& server) {
    ServerAddress address;
    address.host = String(server.Address().c_str());
    address.basePath = String("/upd/");
    address.port = server.Port();
    address.timeoutMs = 30000;
    return address;
}

class LauncherTorrentFetchTest : public ::testing::Test {
protected:
    // Runs one fetch into tempRoot and ticks the 10 ms timer until the page hears its
    // outcome (at most 10 s of real time).
    std::vector<EventRecord> Fetch(const std::string& tempRoot) {
        window.events.clear();
        RefPtr<HttpLauncherClient> client = HttpLauncherClient::Create(
            LoopbackAddress(server),
            ServerDocuments{String("CurrentVersion.xdb"), String("PatchesHistory.xdb"), String("Launcher.torrent")});
        functor = LauncherDownloadTorrentFunctor::Create(view.Get(), client.Get(), tempRoot);
        EXPECT_TRUE(functor->Run());
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (window.events.size() < 2 && std::chrono::steady_clock::now() < deadline) {
            timers.Advance(LauncherDownloadTorrentFunctor::kTickMs);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        for (int i = 0; i < 20; ++i) timers.Advance(LauncherDownloadTorrentFunctor::kTickMs);
        EXPECT_EQ(timers.ArmedCount(), 0u) << "the request's timer stays";
        return window.events;
    }

    LoopbackHttpServer server;
    ManualTimerHost timers;
    RecordingWindow window{&timers};
    RefPtr<LauncherDownloadView> view{new LauncherDownloadView(&window)};
    RefPtr<LauncherDownloadTorrentFunctor> functor;
    TempDir dir;
};

TEST_F(LauncherTorrentFetchTest, SavesTheTorrentInANewFolderOfItsOwn) {
    server.Script("/upd/Launcher.torrent", Reply::Document("d4:infod4:name1:Lee"));
    const auto events = Fetch(dir.Path());
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0][0], u"LauncherDownload.OnStartTorrentDownload");
    EXPECT_EQ(events[1][0], u"LauncherDownload.OnFinishTorrentDownload");
    const std::string saved = StrUtil::ToNarrow(functor->GetResult()).Std();
    EXPECT_EQ(saved.rfind(dir.Path() + "LAU", 0), 0u) << saved;
    EXPECT_EQ(saved.substr(saved.size() - 17), "/Launcher.torrent");
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(saved, bytes));
    EXPECT_EQ(bytes, "d4:infod4:name1:Lee");
    // A second fetch gets a folder of its own.
    Fetch(dir.Path());
    EXPECT_NE(StrUtil::ToNarrow(functor->GetResult()).Std(), saved);
}

TEST_F(LauncherTorrentFetchTest, EveryFailureIsToldOnce) {
    struct Case {
        const char* what;
        Reply reply;
        std::string tempRoot;  // relative to the test's folder
        std::vector<std::u16string> last;
    };
    dir.WriteFile("a-file", "not a folder");
    const std::vector<Case> cases = {
        {"404", Reply::Document("", "HTTP/1.0 404 Not Found"), "", {u"LauncherDownload.OnLogicError", u"-1"}},
        {"dropped", Reply::Raw(""), "", {u"LauncherDownload.OnServerError", u"3"}},
        {"empty torrent", Reply::Document(""), "", {u"LauncherDownload.OnTorrentError"}},
        {"missing temporary folder", Reply::Document("d4:infoe"), "missing/", {u"LauncherDownload.OnTorrentError"}},
        {"temporary folder is a file", Reply::Document("d4:infoe"), "a-file/", {u"LauncherDownload.OnTorrentError"}},
    };
    for (const Case& entry : cases) {
        server.Script("/upd/Launcher.torrent", entry.reply);
        const auto events = Fetch(dir / entry.tempRoot);
        ASSERT_EQ(events.size(), 2u) << entry.what;
        EXPECT_EQ(events[1], entry.last) << entry.what;
        EXPECT_TRUE(functor->GetResult().IsEmpty()) << entry.what;
    }
    // Nothing was left behind by the failed saves.
    std::vector<FolderEntry> entries;
    ASSERT_TRUE(ListFolder(dir.Path(), entries));
    EXPECT_EQ(entries.size(), 1u);
}

int IdOf(const RefPtr<ITimer>& timer) { return static_cast<Timer*>(timer.Get())->Id(); }

TEST(LauncherDownloadView, TimersCountOnFrom719) {
    ManualTimerHost timers;
    RecordingWindow window(&timers);
    RefPtr<LauncherDownloadView> view(new LauncherDownloadView(&window));
    EXPECT_EQ(IdOf(view->CreateTimer()), 719);
    EXPECT_EQ(IdOf(view->CreateTimer()), 720);
    EXPECT_EQ(IdOf(view->CreateTimer()), 721);
    RefPtr<LauncherDownloadView> next(new LauncherDownloadView(&window));
    EXPECT_EQ(IdOf(next->CreateTimer()), 719);
}

// The download folder as the files step leaves it: the torrent, and one top folder
// whose "Launcher.exe" is the recorder (not yet executable, as downloads arrive).
class DownloadedLauncherTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string recorder;
        ASSERT_TRUE(ReadWholeFile(ARGV_RECORDER_PATH, recorder));
        dir.WriteFile("LAUx1/Launcher.torrent", "d4:infoe");
        dir.WriteFile("LAUx1/Brennic/Launcher.exe", recorder);
        ASSERT_EQ(::chmod((dir / "LAUx1/Brennic/Launcher.exe").c_str(), 0644), 0);
        dir.WriteFile("LAUx1/z-later/other.txt", "");
        ::setenv("ARGV_RECORDER_OUT", (dir / "record").c_str(), 1);
    }
    void TearDown() override { ::unsetenv("ARGV_RECORDER_OUT"); }

    TempDir dir;
};

TEST_F(DownloadedLauncherTest, StartsTheTopFoldersLauncherWithTheGameRootInItsFolder) {
    const auto start = BuildDownloadedLauncherStart(1, dir / "LAUx1/Launcher.torrent", "/games/Brennic Online/bin/Launcher.exe",
                                                    true, WideString(u"-key with \"quotes\""));
    ASSERT_TRUE(start);
    ASSERT_TRUE(StartDownloadedLauncher(*start));
    ArgvRecord record;
    ASSERT_TRUE(WaitForArgvRecord(dir / "record", 10000, record));
    EXPECT_EQ(record.workingDir, dir / "LAUx1/Brennic");
    EXPECT_EQ(record.argv, (std::vector<std::string>{dir / "LAUx1/Brennic/Launcher.exe", "/update", "/games/Brennic Online",
                                                     "/UAC", "/authkey", "-key with \"quotes\""}));
    struct stat info {};
    ASSERT_EQ(::stat((dir / "LAUx1/Brennic/Launcher.exe").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0755u);
}

TEST_F(DownloadedLauncherTest, ModesAndFolders) {
    const std::string torrent = dir / "LAUx1/Launcher.torrent";
    const std::string own = "/g/bin/Launcher.exe";
    const auto reinstall = BuildDownloadedLauncherStart(2, torrent, own, false, WideString());
    ASSERT_TRUE(reinstall);
    EXPECT_EQ(reinstall->argv, (std::vector<std::string>{dir / "LAUx1/Brennic/Launcher.exe", "/reinstall", "/g"}));
    for (int mode : {0, 3, -1, 8}) EXPECT_FALSE(BuildDownloadedLauncherStart(mode, torrent, own, false, WideString())) << mode;
    EXPECT_FALSE(BuildDownloadedLauncherStart(1, torrent, "", false, WideString()));
    // Without a sub-folder the launcher is looked for in the download folder itself;
    // a link to a folder is not taken for one.
    dir.WriteFile("LAUx2/Launcher.torrent", "d4:infoe");
    ASSERT_EQ(::symlink((dir / "LAUx1").c_str(), (dir / "LAUx2/a-link").c_str()), 0);
    const auto flat = BuildDownloadedLauncherStart(1, dir / "LAUx2/Launcher.torrent", own, false, WideString());
    ASSERT_TRUE(flat);
    EXPECT_EQ(flat->program, dir / "LAUx2/Launcher.exe");
    EXPECT_EQ(flat->workingDir, dir / "LAUx2");
    // A start that fails is reported and logged, not taken for a success.
    SetLogFolder(String((dir / "logs/").c_str()));
    EXPECT_FALSE(StartDownloadedLauncher(*flat));
    SetLogFolder(String("../Personal/Logs/"));
    std::string log;
    ReadWholeFile(dir / "logs/Launcher.log", log);
    EXPECT_NE(log.find("cannot start the new launcher " + dir / "LAUx2/Launcher.exe"), std::string::npos) << log;
}

// The launcher is made executable before it starts; a link in its place does not make a
// root launcher change the mode of the file it points to.
TEST_F(DownloadedLauncherTest, ALinkInPlaceOfTheLauncherKeepsTheModeOfWhatItPointsTo) {
    const LinkBait bait(dir / "etc/shadow", dir / "LAUx1/Brennic/Launcher.exe");
    const auto start = BuildDownloadedLauncherStart(1, dir / "LAUx1/Launcher.torrent", "/g/bin/Launcher.exe", false,
                                                    WideString());
    ASSERT_TRUE(start);
    SetLogFolder(String((dir / "logs/").c_str()));
    StartDownloadedLauncher(*start);
    SetLogFolder(String("../Personal/Logs/"));
    EXPECT_TRUE(bait.Untouched());
}

}  // namespace
