// The patch request against a real web server: the publishing tool writes an update
// server's folder from sample game trees, nginx serves it on loopback, and the patch
// request step finds the chain from the installed version, fetches its torrents and
// tells the page. The torrents it hands on are the tool's, byte for byte, and they
// hold what the patch download expects: one top folder with the version file, the
// applier and the patch files.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <libtorrent/torrent_info.hpp>
#include <spawn.h>
#include <thread>

#include "RecordingWindow.h"
#include "engine/gamedata/CreateGameVersion.h"
#include "engine/gamedata/GameVersion5.h"
#include "support/ManualTimerHost.h"
#include "support/NginxServer.h"
#include "support/RequiredEnvironment.h"
#include "support/TempDir.h"
#include "support/versions/SignedVersions.h"
#include "workflow/WorkflowValues.h"
#include "workflow/patches/PatchesRequestFunctor.h"

extern char** environ;

namespace {

bool RunPublisher(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), UPDATE_PUBLISHER_PATH);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    int status = 0;
    return posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 && waitpid(pid, &status, 0) == pid &&
           WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string Text(const ByteVector& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::vector<std::string> TorrentFiles(const std::string& bytes) {
    lt::error_code error;
    const lt::torrent_info info(bytes.data(), static_cast<int>(bytes.size()), error);
    std::vector<std::string> files;
    if (error) return files;
    for (const lt::file_index_t file : info.files().file_range()) files.push_back(info.files().file_path(file, ""));
    return files;
}

}  // namespace

TEST(PatchRequestNginx, FindsTheChainOnAPublishedServerAndHandsOnItsTorrents) {
    if (NginxServer::Executable().empty()) SKIP_UNLESS_REQUIRED("nginx is not installed");
    if (!BuiltInKeyIsSample()) GTEST_SKIP() << "the launcher was built with another version key";
    TempDir work;
    std::vector<std::string> arguments = {"--out", work / "site/upd", "--current", "1.0.3", "--applier", work / "applier",
                                          "--web-seed", "http://127.0.0.1:1/upd/"};
    for (const char* version : {"1.0.0", "1.0.1", "1.0.2", "1.0.3"}) {
        work.WriteFile(std::string("trees/") + version + "/bin/game.dat", std::string("game ") + version);
        work.WriteFile(std::string("trees/") + version + "/data/world.map", std::string(3000, version[4]));
        arguments.insert(arguments.end(), {"--tree", std::string(version) + "=" + work / "trees/" + version});
    }
    for (const char* patch : {"1.0.0,1.0.1", "1.0.1,1.0.2", "1.0.2,1.0.3"}) {
        const std::string payload = work / ("payload/" + std::string(patch).substr(6));
        WriteWholeFile(payload + "/data.patch", std::string("delta ") + patch);
        arguments.insert(arguments.end(), {"--patch", std::string(patch) + "," + payload});
    }
    work.WriteFile("applier", "#!/bin/sh\n");
    ASSERT_TRUE(RunPublisher(arguments));

    NginxServer nginx(work / "site");
    ASSERT_TRUE(nginx.Start()) << nginx.ErrorLog();
    RefPtr<AppParams> params(new AppParams());
    params->server.host = String("127.0.0.1");
    params->server.basePath = String("/upd/");
    params->server.port = nginx.Port();
    params->server.timeoutMs = 30000;
    params->launcherCfgPath = WideString(u"Profiles/Launcher.cfg");
    // The installed game: version 1.0.1, as the tool's patch to it describes it.
    RefPtr<Game::IGameVersion> installed = Game::CreateGameVersion(
        Game::GameVersionFormat, String((work / "site/upd/Patch_1.0.0-1.0.1/").c_str()), String("game.version"), 0);
    ASSERT_TRUE(installed);

    ManualTimerHost timers;
    RecordingWindow window(&timers);
    RefPtr<PatchesRequestView> view(new PatchesRequestView(&window));
    RefPtr<PatchesRequestFunctor> request = PatchesRequestFunctor::Create(view.Get(), params.Get(), installed.Get());
    ASSERT_TRUE(request);
    ASSERT_TRUE(request->Run());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (window.events.size() < 2 && std::chrono::steady_clock::now() < deadline) {
        timers.Advance(PatchesRequestFunctor::kTickMs);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(window.events.size(), 2u) << nginx.AccessLog();
    EXPECT_EQ(window.events[0], (EventRecord{u"Patching.OnRequest", u"1.0.1"}));
    EXPECT_EQ(window.events[1], (EventRecord{u"Patching.OnAnswer", u"false", u"1.0.2", u"1.0.3"}));
    EXPECT_EQ(Workflow::ServerVersion().Std(), "1.0.3");
    const std::string log = nginx.AccessLog();
    for (const char* line : {"GET /upd/CurrentVersion.xdb HTTP/1.0\" 200", "GET /upd/PatchesHistory.xdb HTTP/1.0\" 200",
                             "GET /upd/patches/1.0.1-1.0.2.torrent HTTP/1.0\" 200",
                             "GET /upd/patches/1.0.2-1.0.3.torrent HTTP/1.0\" 200"})
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;

    // What the download will take: the tool's torrents, saved under their own names.
    const RefPtr<PatchInfos> patches = request->GetResult();
    ASSERT_TRUE(patches);
    ASSERT_EQ(patches->items.Size(), 2u);
    ASSERT_TRUE(patches->Save(WideString(String((work / "Patches").c_str()))));
    for (const char* name : {"1.0.1-1.0.2", "1.0.2-1.0.3"}) {
        SCOPED_TRACE(name);
        const std::string published = ReadWholeFile(work / (std::string("site/upd/patches/") + name + ".torrent"));
        EXPECT_EQ(work.ReadFile(std::string("Patches/") + name + ".torrent"), published);
        const std::string top = std::string("Patch_") + name;
        EXPECT_EQ(TorrentFiles(published), (std::vector<std::string>{top + "/VaraRurezod.exe", top + "/data.patch",
                                                                     top + "/game.version"}));
        lt::error_code error;
        const lt::torrent_info info(published.data(), static_cast<int>(published.size()), error);
        EXPECT_FALSE(info.info_hashes().has_v2());
        ASSERT_EQ(info.web_seeds().size(), 1u);
        EXPECT_EQ(info.web_seeds()[0].url, "http://127.0.0.1:1/upd/");
    }
    EXPECT_EQ(Text(patches->items[0]->torrentBytes), ReadWholeFile(work / "site/upd/patches/1.0.1-1.0.2.torrent"));
}
