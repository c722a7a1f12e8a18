// The session and its torrents against the real engine, before any data moves: adding,
// choosing files, limits and pauses.
#include <gtest/gtest.h>

#include <cctype>
#include <climits>
#include <filesystem>

#include <libtorrent/alert.hpp>
#include <libtorrent/settings_pack.hpp>
#include <libtorrent/torrent_flags.hpp>

#include "base/runtime/StrUtil.h"
#include "engine/torrent/Torrent.h"
#include "engine/torrent/TorrentSession.h"
#include "engine/torrent/TorrentSessionParams.h"
#include "support/TempDir.h"
#include "support/torrents/SessionDriver.h"
#include "support/torrents/TorrentFixtures.h"

namespace {

WideString Wide(const std::string& text) { return StrUtil::ToWide(String(text.c_str())); }

std::vector<std::string> Texts(const StringVector& texts) {
    std::vector<std::string> out;
    for (const String& text : texts) out.push_back(text.Std());
    return out;
}

const Payload& GamePayload() {
    static const Payload payload = {
        {"Game.exe", PatternBytes(30000, 1)},
        {"data/Pack.pak", PatternBytes(50000, 2)},
        {"readme.txt", PatternBytes(1000, 3)},
    };
    return payload;
}

// A session folder holding "Patch.torrent" (hybrid: with pad files), made from files in
// a tree of their own.
class SessionFolder : public ::testing::Test {
protected:
    void SetUp() override {
        dir.WriteFile("Patch.torrent", MakeTorrent(files.Path(), "Top", GamePayload(), {TorrentFormat::Hybrid}));
        session = TorrentSession::Create(LoopbackSessionConfig(), Wide(dir.Path()), 0);
        ASSERT_TRUE(session);
    }

    RefPtr<Torrent> Add() {
        RefPtr<ITorrent> torrent = session->AddTorrent(u"Patch.torrent");
        return RefPtr<Torrent>(static_cast<Torrent*>(torrent.Get()));
    }

    TempDir files;
    TempDir dir;
    RefPtr<TorrentSession> session;
};

// The production settings cannot meet the public network in a test; what they ask of
// libtorrent, and what the switch of the tests takes away, are checked here instead.
TEST(TorrentSessionParams, ProductionListensWidelyAndTheSwitchKeepsToLoopback) {
    const TorrentSessionConfig production;
    const lt::settings_pack wide = TorrentEngine::MakeSessionParams(production).settings;
    EXPECT_EQ(wide.get_str(lt::settings_pack::listen_interfaces), "0.0.0.0:6968,[::]:6968");
    EXPECT_EQ(wide.get_int(lt::settings_pack::max_retry_port_bind), 10);  // up to 6978
    const lt::settings_pack local = TorrentEngine::MakeSessionParams(LoopbackSessionConfig()).settings;
    EXPECT_EQ(local.get_str(lt::settings_pack::listen_interfaces), "127.0.0.1:0");
    for (const int name : {lt::settings_pack::enable_dht, lt::settings_pack::enable_lsd, lt::settings_pack::enable_upnp,
                           lt::settings_pack::enable_natpmp}) {
        EXPECT_TRUE(wide.get_bool(name)) << lt::name_for_setting(name);
        EXPECT_FALSE(local.get_bool(name)) << lt::name_for_setting(name);
    }
    EXPECT_FALSE(wide.get_str(lt::settings_pack::dht_bootstrap_nodes).empty());
    EXPECT_EQ(local.get_str(lt::settings_pack::dht_bootstrap_nodes), "");
    // Only the few alerts that become events: none per block, piece, upload or log line.
    const auto mask = static_cast<std::uint32_t>(wide.get_int(lt::settings_pack::alert_mask));
    for (const lt::alert_category_t event : {lt::alert_category::status, lt::alert_category::storage,
                                             lt::alert_category::connect}) {
        EXPECT_TRUE(mask & static_cast<std::uint32_t>(event));
    }
    for (const lt::alert_category_t flood : {lt::alert_category::block_progress, lt::alert_category::piece_progress,
                                             lt::alert_category::upload, lt::alert_category::peer_log,
                                             lt::alert_category::torrent_log}) {
        EXPECT_FALSE(mask & static_cast<std::uint32_t>(flood));
    }
}

TEST(TorrentSessionCreate, NeedsAnExistingFolder) {
    TempDir dir;
    dir.WriteFile("file", "x");
    EXPECT_FALSE(TorrentSession::Create(LoopbackSessionConfig(), Wide(dir / "missing"), 0));
    EXPECT_FALSE(TorrentSession::Create(LoopbackSessionConfig(), Wide(dir / "file"), 0));
    EXPECT_TRUE(TorrentSession::Create(LoopbackSessionConfig(), Wide(dir / "sub/.."), 0));
}

TEST_F(SessionFolder, AddsTorrentFilesOfItsFolderOnly) {
    dir.WriteFile("garbage.torrent", "d4:spam");
    files.WriteFile("Other.torrent", dir.ReadFile("Patch.torrent"));
    EXPECT_FALSE(session->AddTorrent(u"missing.torrent"));
    EXPECT_FALSE(session->AddTorrent(u"garbage.torrent"));
    EXPECT_FALSE(session->AddTorrent(Wide(files / "Other.torrent")));  // only its name counts

    RefPtr<ITorrent> torrent = session->AddTorrent(Wide(files / "Patch.torrent"));
    ASSERT_TRUE(torrent);
    std::string lower = dir / "patch.torrent";
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(StrUtil::ToNarrow(torrent->GetName()).Std(), lower);
    EXPECT_EQ(torrent->GetTotalSize(), 81000);  // the payload, without the pads
    EXPECT_TRUE(torrent->IsPaused());
    EXPECT_EQ(torrent->GetRootFolder().Length(), 0u);
    TorrentProgress progress;
    torrent->GetProgress(progress);
    EXPECT_EQ(progress.percent, 0);
    EXPECT_EQ(progress.totalDone, 0);
}

TEST_F(SessionFolder, AddsExistingTorrentsOnlyWhenEveryPayloadFileIsThere) {
    EXPECT_FALSE(session->AddExistingTorrent(u"Patch.torrent", Wide(dir.Path())));
    // The pad files are never on disk, and need not be.
    EXPECT_TRUE(session->AddExistingTorrent(u"Patch.torrent", Wide(files.Path())));
    std::filesystem::remove(files / "Top/readme.txt");
    EXPECT_FALSE(session->AddExistingTorrent(u"Patch.torrent", Wide(files.Path())));
}

TEST_F(SessionFolder, SelectsFilesByNameWithOrWithoutTheTopFolderInAnyCase) {
    RefPtr<Torrent> torrent = Add();
    ASSERT_TRUE(torrent);
    const std::vector<std::string> all = {"Top/Game.exe", "Top/data/Pack.pak", "Top/readme.txt"};
    StringVector selected;
    torrent->GetSelectedFiles(selected);
    EXPECT_EQ(Texts(selected), all);

    struct Case {
        std::vector<std::string> names;
        std::int64_t size;
        std::vector<std::string> selected;
    };
    const Case cases[] = {
        {{"DATA/pack.PAK"}, 50000, {"Top/data/Pack.pak"}},
        {{"top/game.exe", "README.TXT"}, 31000, {"Top/Game.exe", "Top/readme.txt"}},
        {{"Top/.pad/2768", ".pad/2768", "Pack.pak", "unknown"}, 0, {}},
        {{}, 0, {}},  // no names: nothing changes
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.names.empty() ? "no names" : c.names[0]);
        StringVector names;
        for (const std::string& name : c.names) names.PushBack(String(name.c_str()));
        std::int64_t size = -1;
        EXPECT_TRUE(torrent->SelectFiles(names, size));
        EXPECT_EQ(size, c.size);
        if (!c.names.empty()) {
            // At once, although libtorrent applies priorities later.
            torrent->GetSelectedFiles(selected);
            EXPECT_EQ(Texts(selected), c.selected);
        }
    }
    EXPECT_EQ(StrUtil::ToNarrow(torrent->GetRootFolder()).Std(), "Top/");
    // The engine ends up with the same choice: nothing wanted, pads included.
    EXPECT_TRUE(DriveUntil(*session, [&] {
        for (const lt::download_priority_t priority : torrent->Handle().get_file_priorities()) {
            if (priority != lt::dont_download) return false;
        }
        return true;
    }));
}

// The engine takes a choice of files on its disk thread: a torrent resumed before
// would fetch files that nobody asked for. Neither call waits for it; the torrent runs
// once the alert round shows the engine holding the last choice.
TEST_F(SessionFolder, AResumeRightAfterAChoiceOfFilesRunsOnlyOnceTheEngineHoldsIt) {
    const std::vector<std::vector<std::string>> choices[] = {{{"readme.txt"}}, {{"Game.exe"}, {"data/Pack.pak"}}};
    for (const std::vector<std::vector<std::string>>& steps : choices) {
        RefPtr<Torrent> torrent = Add();
        ASSERT_TRUE(torrent);
        for (const std::vector<std::string>& step : steps) {
            StringVector names;
            for (const std::string& name : step) names.PushBack(String(name.c_str()));
            std::int64_t size = 0;
            ASSERT_TRUE(torrent->SelectFiles(names, size));
        }
        torrent->Pause(false);
        EXPECT_TRUE(torrent->IsPaused());  // nothing resumes it before the alert round

        std::vector<lt::download_priority_t> wanted;
        const lt::file_storage& storage = torrent->Handle().torrent_file()->files();
        for (const lt::file_index_t index : storage.file_range())
            wanted.push_back(storage.file_path(index) == "Top/" + steps.back()[0] ? lt::low_priority : lt::dont_download);
        bool heldWhenRunning = false;
        EXPECT_TRUE(DriveUntil(*session, [&] {
            if (torrent->IsPaused()) return false;
            heldWhenRunning = torrent->Handle().get_file_priorities() == wanted;
            return true;
        }));
        EXPECT_TRUE(heldWhenRunning) << steps.back()[0];
        session->ProcessAlerts();
    }
}

TEST_F(SessionFolder, DownloadLimitsAndPausesStick) {
    RefPtr<Torrent> torrent = Add();
    ASSERT_TRUE(torrent);
    EXPECT_EQ(torrent->GetDownloadLimit(), 0.0f);  // added paused
    torrent->Pause(false);
    EXPECT_FALSE(torrent->IsPaused());
    EXPECT_EQ(torrent->GetDownloadLimit(), -1.0f);

    torrent->SetDownloadLimit(20.0f);
    EXPECT_EQ(torrent->Handle().download_limit(), 20480);
    EXPECT_EQ(torrent->GetDownloadLimit(), 20.0f);

    torrent->SetDownloadLimit(0.00005f);
    EXPECT_TRUE(torrent->IsPaused());
    EXPECT_EQ(torrent->GetDownloadLimit(), 0.0f);
    // Out of libtorrent's queue, which would otherwise resume it on its next round.
    EXPECT_FALSE(torrent->Handle().flags() & lt::torrent_flags::auto_managed);

    torrent->SetDownloadLimit(-3.0f);
    EXPECT_FALSE(torrent->IsPaused());
    EXPECT_TRUE(torrent->Handle().flags() & lt::torrent_flags::auto_managed);
    EXPECT_EQ(torrent->GetDownloadLimit(), -1.0f);

    // Too large for the engine's int: the top value, which libtorrent reads as no limit.
    torrent->SetDownloadLimit(1e12f);
    EXPECT_EQ(torrent->GetDownloadLimit(), -1.0f);
}

TEST_F(SessionFolder, SessionLimitAndPause) {
    struct Case {
        int kilobytes;
        int bytes;
    };
    for (const Case c : {Case{20, 20480}, Case{0, 0}, Case{-1, 0}, Case{INT_MAX, INT_MAX}}) {
        session->SetDownloadLimit(c.kilobytes);
        EXPECT_EQ(session->Engine().get_settings().get_int(lt::settings_pack::download_rate_limit), c.bytes)
            << c.kilobytes;
    }
    EXPECT_FALSE(session->IsPaused());
    session->Pause();
    EXPECT_TRUE(session->IsPaused());
    session->Resume();
    EXPECT_FALSE(session->IsPaused());
}

}  // namespace
