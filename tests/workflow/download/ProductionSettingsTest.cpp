// The settings a download step's session and torrents run with, read back from the
// live libtorrent session and torrent. The options are the production ones; only what
// would reach the public network is kept to loopback (listening, DHT and discovery, the
// seed servers' names), so the seed list of the string table is read from the options.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <libtorrent/session.hpp>
#include <libtorrent/settings_pack.hpp>
#include <libtorrent/torrent_flags.hpp>
#include <libtorrent/torrent_status.hpp>

#include "base/runtime/StrUtil.h"
#include "engine/torrent/Torrent.h"
#include "engine/torrent/TorrentSession.h"
#include "support/TempDir.h"
#include "support/torrents/SessionDriver.h"
#include "support/torrents/TorrentFixtures.h"
#include "workflow/download/DownloadEngine.h"
#include "QuietDownloadSink.h"

namespace {

std::string Joined(const StringVector& texts) {
    std::string out;
    for (const String& text : texts) out += (out.empty() ? "" : ";") + text.Std();
    return out;
}

}  // namespace

TEST(ProductionSettings, TheLiveSessionAndTorrentHoldWhatTheStepsAskFor) {
    TempDir files;
    TempDir folder;
    folder.WriteFile("Patch.torrent", MakeTorrent(files.Path(), "Patch", {{"a.bin", PatternBytes(40000, 1)}}));
    DownloadEngineOptions options = DownloadEngineOptions::Production(StrUtil::ToWide(String(folder.Path().c_str())));
    const std::string productionSeeds = Joined(options.session.seedUrls);
    const TorrentSessionConfig loopback = LoopbackSessionConfig();
    options.session.listenPortFirst = loopback.listenPortFirst;
    options.session.listenPortLast = loopback.listenPortLast;
    options.session.listenInterface = loopback.listenInterface;
    options.session.publicDiscovery = false;
    options.session.seedUrls.Clear();
    options.session.seedUrls.PushBack("http://127.0.0.1:9/seed/");

    QuietDownloadSink sink;
    RefPtr<DownloadEngine> engine = DownloadEngine::Create(options, &sink);
    ASSERT_TRUE(engine);
    RefPtr<ITorrent> added = engine->AddTorrent(u"Patch.torrent");
    ASSERT_TRUE(added);
    const lt::settings_pack session = static_cast<TorrentSession*>(engine->Session())->Engine().get_settings();
    const lt::torrent_handle torrent = static_cast<Torrent*>(added.Get())->Handle();
    const lt::torrent_status status = torrent.status();

    using lt::settings_pack;
    struct Row {
        const char* what;
        std::function<std::string()> read;
        std::string expected;
    };
    auto number = [](long long value) { return std::to_string(value); };
    const Row rows[] = {
        {"seed list of string 147", [&] { return productionSeeds; },
         "http://seed1.brennic-online.example/seed/;http://seed2.brennic-online.example/seed/"},
        {"DHT as fallback", [&] { return number(session.get_bool(settings_pack::use_dht_as_fallback)); }, "0"},
        {"active seeds", [&] { return number(session.get_int(settings_pack::active_seeds)); }, "-1"},
        {"slow torrents not counted", [&] { return number(session.get_bool(settings_pack::dont_count_slow_torrents)); },
         "1"},
        {"auto-manage interval", [&] { return number(session.get_int(settings_pack::auto_manage_interval)); }, "15"},
        {"peer id prefix (\"LT\" 0.15.0.0)", [&] { return session.get_str(settings_pack::peer_fingerprint); },
         "-LT0F00-"},
        {"DHT peers per reply", [&] { return number(session.get_int(settings_pack::dht_max_peers_reply)); }, "100"},
        {"DHT search branching", [&] { return number(session.get_int(settings_pack::dht_search_branching)); }, "10"},
        {"DHT fail count", [&] { return number(session.get_int(settings_pack::dht_max_fail_count)); }, "10"},
        {"session download limit", [&] { return number(session.get_int(settings_pack::download_rate_limit)); }, "0"},
        {"session upload limit", [&] { return number(session.get_int(settings_pack::upload_rate_limit)); }, "0"},
        {"connections per torrent", [&] { return number(torrent.max_connections()); }, "100"},
        {"upload slots per torrent (unlimited)", [&] { return number(torrent.max_uploads()); }, "16777215"},
        {"uploadLimit per torrent", [&] { return number(torrent.upload_limit()); }, "1048576"},
        {"download limit per torrent (0: none)", [&] { return number(torrent.download_limit()); }, "0"},
        {"web seeds", [&] {
             std::string urls;
             for (const std::string& url : torrent.url_seeds()) urls += url;
             return urls;
         },
         "http://127.0.0.1:9/seed/"},
        {"sparse storage", [&] { return number(status.storage_mode == lt::storage_mode_sparse); }, "1"},
        {"added paused", [&] { return number(static_cast<bool>(status.flags & lt::torrent_flags::paused)); }, "1"},
        {"keeps to the IP filter",
         [&] { return number(static_cast<bool>(status.flags & lt::torrent_flags::apply_ip_filter)); }, "1"},
    };
    for (const Row& row : rows) EXPECT_EQ(row.read(), row.expected) << row.what;
}
