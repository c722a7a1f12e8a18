// The repair download from the loopback swarm's web seed (the swarm's folder over HTTP):
// only the damaged files arrive, and the repair puts
// them in place byte for byte; what the web seed served is counted. Then the refusals
// on a session without peers: nothing to download, nothing of the torrent matched, a
// torrent without a top folder, the launcher's own files, and the demo's marker.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <libtorrent/bencode.hpp>
#include <libtorrent/create_torrent.hpp>

#include "RecordingWindow.h"
#include "base/io/Path.h"
#include "base/runtime/StrUtil.h"
#include "shell/AppParams.h"
#include "support/GameTree.h"
#include "support/ManualTimerHost.h"
#include "support/TempDir.h"
#include "support/torrents/LoopbackSwarm.h"
#include "support/torrents/SessionDriver.h"
#include "support/versions/SignedVersions.h"
#include "workflow/repair/RepairFunctor.h"
#include "workflow/repair/RipDownloadFunctor.h"

namespace {

using namespace std::chrono_literals;

constexpr int kPiece = 16 * 1024;

WideString Wide(const std::string& text) { return StrUtil::ToWide(String(text.c_str())); }

ByteVector Bytes(const std::string& text) {
    ByteVector bytes;
    bytes.Append(text.data(), text.size());
    return bytes;
}

// The server's game: two large files that stay intact around the damaged ones, so that
// a download of more than the damaged files and their shared pieces shows.
Payload ServerGame() {
    return {{"data/big1.pak", PatternBytes(40 * kPiece + 100, 1)},
            {"bin/a.dll", PatternBytes(3 * kPiece + 7, 2)},
            {"data/big2.pak", PatternBytes(40 * kPiece + 200, 3)},
            {"data/x.pak", PatternBytes(5 * kPiece + 11, 4)},
            {"data/big3.pak", PatternBytes(40 * kPiece + 300, 5)},
            {"new/sub/y.pak", PatternBytes(2 * kPiece + 13, 6)},
            {"data/big4.pak", PatternBytes(40 * kPiece + 400, 7)}};
}

// A torrent of one file and no top folder.
std::string SingleFileTorrent(const std::string& folder) {
    WriteWholeFile(folder + "x.pak", "x");
    lt::file_storage files;
    files.add_file("x.pak", 1);
    lt::create_torrent creator(files, kPiece, lt::create_torrent::v1_only);
    lt::error_code error;
    lt::set_piece_hashes(creator, folder, error);
    std::string bytes;
    lt::bencode(std::back_inserter(bytes), creator.generate());
    return bytes;
}

const std::string& BytesOf(const Payload& payload, const std::string& path) {
    for (const PayloadFile& file : payload)
        if (file.path == path) return file.bytes;
    static const std::string none;
    return none;
}

class RipDownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::chdir((game / "bin").c_str()), 0);
        params = new AppParams();
        params->gameRoot = WideString(u"../");
        params->patchesDir = WideString(u"../Patches/");
        params->demoPath = WideString(u"../bin/demo.old");
        ASSERT_TRUE(Path::CreateFolders(String((game / "Patches").c_str())));
    }

    RefPtr<RipPatchInfo> RepairSet(const std::string& ripTorrent, const Payload& launcherFiles = {{"bin/Launcher.exe", "elf"}}) {
        RefPtr<RipPatchInfo> info(new RipPatchInfo());
        info->ripTorrentName = WideString(u"rip/Rip.torrent");
        info->ripTorrentBytes = Bytes(ripTorrent);
        info->launcherTorrentName = WideString(u"Launcher.torrent");
        info->launcherTorrentBytes = Bytes(MakeTorrent(launcherSource.Path(), "Launcher", launcherFiles));
        return info;
    }

    DownloadEngineOptions Options(bool webSeed) const {
        DownloadEngineOptions options;
        options.folder = Wide(game / "Patches/");
        options.session = LoopbackSessionConfig();
        if (webSeed) options.session.seedUrls.PushBack(String(swarm.WebSeedUrl().c_str()));
        return options;
    }

    RefPtr<RipDownloadFunctor> Download(Rip* rip, RipPatchInfo* info, bool webSeed = true) {
        RefPtr<RipDownloadView> view(new RipDownloadView(&window));
        return RipDownloadFunctor::Create(view.Get(), Options(webSeed), params.Get(), rip, info);
    }

    std::size_t Count(const std::u16string& name) const {
        std::size_t count = 0;
        for (const EventRecord& event : window.events) count += event[0] == name ? 1 : 0;
        return count;
    }

    GameTree game;
    TempDir launcherSource;
    LoopbackSwarm swarm;
    RefPtr<AppParams> params;
    ManualTimerHost timers;
    RecordingWindow window{&timers};
};

TEST_F(RipDownloadTest, OnlyTheDamagedFilesArriveAndTheRepairPutsThemInPlace) {
    const Payload server = ServerGame();
    // No tracker: the web seed is the one source, and everything it served is counted.
    const std::string torrent = swarm.Publish("Rip", server);
    ASSERT_FALSE(torrent.empty());
    for (const PayloadFile& file : server) WriteWholeFile(game / file.path, file.bytes);
    WriteWholeFile(game / "bin/a.dll", "changed by hand");
    std::filesystem::remove(game / "data/x.pak");
    std::filesystem::remove_all(game / "new");
    RefPtr<Rip> rip(new Rip());
    const std::pair<const char*, int> damaged[] = {{"bin/a.dll", 5}, {"data\\x.pak", 3}, {"new/sub/y.pak", 3}};
    for (const auto& [path, code] : damaged) {
        std::string file = path;
        std::replace(file.begin(), file.end(), '\\', '/');
        const std::string& bytes = BytesOf(server, file);
        rip->Append(Wide(path), static_cast<std::uint32_t>(bytes.size()), code, VersionRecord(bytes).Get());
    }

    RefPtr<RipDownloadFunctor> download = Download(rip.Get(), RepairSet(torrent).Get());
    ASSERT_TRUE(download);
    WideString name;
    ASSERT_TRUE(download->Run(&name));
    EXPECT_FALSE(download->Run(nullptr));
    EXPECT_TRUE(name.View().ends_with(u"/patches/rip.torrent")) << String(name).Std();
    EXPECT_EQ(window.Names(), std::vector<std::u16string>{u"Repair.OnDownloadStart"});
    ASSERT_TRUE(TickUntil(timers, [&] { return Count(u"Repair.OnDownloadComplete") >= 2; }));
    const RefPtr<RipPatch> job = download->GetResult();
    ASSERT_TRUE(job);
    EXPECT_EQ(String(job->Folder()).Std(), game / "Patches/Rip/");
    EXPECT_EQ(Count(u"Repair.OnError") + Count(u"Launcher.OnDiskSpaceError"), 0u);

    // The total is the damaged files' bytes, and the last progress has them all.
    const std::int64_t selected = 3 * kPiece + 7 + 5 * kPiece + 11 + 2 * kPiece + 13;
    EventRecord last;
    for (const EventRecord& event : window.events)
        if (event[0] == u"Downloader.OnProgress") last = event;
    ASSERT_GE(last.size(), 4u);
    EXPECT_EQ(last[1], u"100");
    EXPECT_EQ(last[2], StrUtil::ToWide(String(std::to_string(selected).c_str())).Std());
    EXPECT_EQ(last[3], last[2]);

    // Of the intact files the web seed served at most the pieces they share with
    // damaged ones; of all, no more than the damaged files and those pieces.
    std::uint64_t served = 0;
    for (const PayloadFile& file : server) {
        const std::uint64_t bytes = swarm.Http().PayloadBytesServed("/Rip/" + file.path);
        served += bytes;
        if (file.path.rfind("data/big", 0) == 0) EXPECT_LE(bytes, 2u * kPiece) << file.path;
        std::cout << "web seed served " << bytes << " bytes of " << file.path << "\n";
    }
    EXPECT_GE(served, static_cast<std::uint64_t>(selected));
    EXPECT_LE(served, static_cast<std::uint64_t>(selected) + 2u * 3u * kPiece);
    std::cout << "web seed served " << served << " bytes in all for " << selected << " damaged bytes\n";

    // The session ends with the step; the repair then moves the files.
    download = nullptr;
    RefPtr<RepairView> view(new RepairView(&window));
    RefPtr<RepairFunctor> repair = RepairFunctor::Create(view.Get(), params.Get(), job.Get());
    ASSERT_TRUE(repair && repair->Run());
    ASSERT_TRUE(TickUntil(timers, [&] { return Count(u"Repair.OnSuccess") == 1; }, 30s, RepairFunctor::kTickMs));
    for (const PayloadFile& file : server) EXPECT_TRUE(ReadWholeFile(game / file.path) == file.bytes) << file.path;
    EXPECT_EQ(rip->entries[0].code, 0);
    EXPECT_EQ(rip->entries[2].code, 0);
    EXPECT_FALSE(std::filesystem::exists(game / "Patches/Rip"));
    EXPECT_TRUE(FileExistsAt(game / "Patches/Rip.torrent"));
    EXPECT_TRUE(FileExistsAt(game / "Patches/Launcher.torrent"));
}

// The repair torrent is not signed: a server can seed other bytes of the right size, and
// the download, which checks pieces against the torrent alone, takes them.
TEST_F(RipDownloadTest, AFileTheServerForgedArrivesButTheRepairLeavesItOut) {
    const std::string x = PatternBytes(5 * kPiece + 11, 4);
    const std::string genuine = PatternBytes(3 * kPiece + 7, 2), forged = PatternBytes(3 * kPiece + 7, 9);
    const std::string torrent = swarm.Publish("Rip", {{"data/x.pak", x}, {"bin/a.dll", forged}});
    ASSERT_FALSE(torrent.empty());
    WriteWholeFile(game / "bin/a.dll", "changed by hand");
    RefPtr<Rip> rip(new Rip());
    rip->Append(WideString(u"data/x.pak"), static_cast<std::uint32_t>(x.size()), 3, VersionRecord(x).Get());
    rip->Append(WideString(u"bin/a.dll"), static_cast<std::uint32_t>(genuine.size()), 5, VersionRecord(genuine).Get());

    RefPtr<RipDownloadFunctor> download = Download(rip.Get(), RepairSet(torrent).Get());
    ASSERT_TRUE(download && download->Run(nullptr));
    ASSERT_TRUE(TickUntil(timers, [&] { return Count(u"Repair.OnDownloadComplete") >= 2; }));
    const RefPtr<RipPatch> job = download->GetResult();
    ASSERT_TRUE(job);
    EXPECT_TRUE(ReadWholeFile(game / "Patches/Rip/bin/a.dll") == forged);
    download = nullptr;

    RefPtr<RepairView> view(new RepairView(&window));
    RefPtr<RepairFunctor> repair = RepairFunctor::Create(view.Get(), params.Get(), job.Get());
    ASSERT_TRUE(repair && repair->Run());
    ASSERT_TRUE(TickUntil(timers, [&] { return Count(u"Repair.OnFail") == 1; }, 30s, RepairFunctor::kTickMs));
    const std::u16string xSize = Wide(std::to_string(x.size())).Std();
    const std::u16string aSize = Wide(std::to_string(genuine.size())).Std();
    EXPECT_EQ(window.events.back(),
              (EventRecord{u"Repair.OnFail", u"0", u"data/x.pak", xSize, u"0", u"0", u"bin/a.dll", aSize, u"5", u"1"}));
    EXPECT_TRUE(ReadWholeFile(game / "data/x.pak") == x);
    EXPECT_EQ(ReadWholeFile(game / "bin/a.dll"), "changed by hand");
    EXPECT_FALSE(std::filesystem::exists(game / "Patches/Rip"));
}

TEST_F(RipDownloadTest, RefusalsTellThePageAndDownloadNothing) {
    const std::string torrent = MakeTorrent(launcherSource.Path(), "Rip", {{"bin/Launcher.exe", "elf"}, {"data/x.pak", "x"}});
    const std::string flat = SingleFileTorrent(launcherSource.Path());
    const struct {
        const char* name;
        std::vector<std::pair<const char16_t*, int>> entries;
        std::string torrent;
        std::u16string event;
    } cases[] = {
        {"every entry is in place already", {{u"data/x.pak", 0}}, torrent, u"Repair.OnError"},
        {"nothing of the torrent matches", {{u"data/other.pak", 5}}, torrent, u"Repair.OnError"},
        {"only entries outside the game", {{u"../x.pak", 5}}, torrent, u"Repair.OnError"},
        {"a torrent that does not parse", {{u"data/x.pak", 5}}, "d4:infoi1ee", u"Repair.OnError"},
        {"the launcher itself under bin", {{u"data/x.pak", 5}, {u"bin/Launcher.exe", 5}}, torrent,
         u"Repair.OnLauncherRepair"},
        {"the launcher's name under cabin", {{u"data/x.pak", 5}, {u"cabin/Launcher.exe", 4}}, torrent,
         u"Repair.OnLauncherRepair"},
        {"a torrent without a top folder", {{u"x.pak", 5}}, flat, u"Repair.OnError"},
        {"the launcher's name in other letters", {{u"bin/launcher.exe", 5}}, torrent, u"Repair.OnDownloadStart"},
        {"a damaged file", {{u"data/X.PAK", 5}}, torrent, u"Repair.OnDownloadStart"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        window.events.clear();
        RefPtr<Rip> rip(new Rip());
        for (const auto& [path, code] : c.entries) rip->Append(WideString(path), 1, code);
        RefPtr<RipDownloadFunctor> download = Download(rip.Get(), RepairSet(c.torrent).Get(), false);
        ASSERT_TRUE(download);
        const bool started = download->Run(nullptr);
        EXPECT_EQ(started, c.event != u"Repair.OnError");
        EXPECT_EQ(window.Names(), std::vector<std::u16string>{c.event});
        // Only a real download runs the engine's timer.
        EXPECT_EQ(timers.ArmedCount(), c.event == u"Repair.OnDownloadStart" ? 1u : 0u);
        EXPECT_FALSE(download->GetResult());
    }
}

TEST_F(RipDownloadTest, TheDemoMarkerNamesTheDownloadAndGoesOnceItIsIn) {
    const std::string torrent =
        swarm.Publish("Rip", {{"data/x.pak", PatternBytes(3 * kPiece, 9)}, {"data/y.pak", PatternBytes(kPiece, 8)}});
    ASSERT_FALSE(torrent.empty());
    params->demoState = 2;
    const struct {
        const char* name;
        const char16_t* torrentName;
        bool markerThere;
        std::string marker;  // after the start
    } cases[] = {
        {"the server's stem is written", u"rip/Rip.torrent", true, std::string("Rip") + '\0'},
        {"no marker, none is made", u"rip/Rip.torrent", false, ""},
        {"a stem that is no plain name is not written", u"rip/..torrent", true, "before"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        window.events.clear();
        params->demoState = 2;
        std::filesystem::remove(game / "bin/demo.old");
        if (c.markerThere) WriteWholeFile(game / "bin/demo.old", "before");
        RefPtr<Rip> rip(new Rip());
        rip->Append(WideString(u"data/x.pak"), 3 * kPiece, 3);
        RefPtr<RipPatchInfo> info = RepairSet(torrent);
        info->ripTorrentName = WideString(c.torrentName);
        RefPtr<RipDownloadFunctor> download = Download(rip.Get(), info.Get());
        ASSERT_TRUE(download && download->Run(nullptr));
        EXPECT_EQ(ReadWholeFile(game / "bin/demo.old"), c.marker);
        // Once the files are in, the marker goes and the page hears it once.
        ASSERT_TRUE(TickUntil(timers, [&] { return Count(u"Repair.OnDownloadComplete") >= 3; }));
        EXPECT_EQ(Count(u"App.SetDemoState"), 1u);
        EXPECT_FALSE(FileExistsAt(game / "bin/demo.old"));
        EXPECT_EQ(params->demoState, 0);
        download = nullptr;
        std::filesystem::remove_all(game / "Patches/Rip");
    }
}

TEST(IsLauncherRepair, NeedsAFolderNamedWithBinAndTheSameFileName) {
    StringVector launcher;
    launcher.PushBack(String("Launcher/bin/Launcher.exe"));
    launcher.PushBack(String("Launcher/bin/libs/core.so"));
    const struct {
        const char* damaged;
        bool repair;
    } cases[] = {{"bin/Launcher.exe", true},     {"bin\\core.so", true},      {"game/mybins/core.so", true},
                 {"cabin/Launcher.exe", true},   {"bin/launcher.exe", false}, {"data/Launcher.exe", false},
                 {"Launcher.exe", false},        {"bin/Launcher.exe.bak", false}};
    for (const auto& c : cases) {
        StringVector damaged;
        damaged.PushBack(String("data/x.pak"));
        damaged.PushBack(String(c.damaged));
        EXPECT_EQ(IsLauncherRepair(damaged, launcher), c.repair) << c.damaged;
    }
}

}  // namespace
