// Loading torrent files from outside, and the texts made from what peers send.
#include <gtest/gtest.h>
#include <unistd.h>

#include <iterator>

#include <libtorrent/bencode.hpp>
#include <libtorrent/entry.hpp>

#include "base/runtime/StrUtil.h"
#include "engine/torrent/PeerText.h"
#include "engine/torrent/SeedServerFilter.h"
#include "engine/torrent/TorrentFiles.h"
#include "engine/torrent/TorrentSessionConfig.h"
#include "support/TempDir.h"
#include "support/torrents/TorrentFixtures.h"

namespace {

WideString Wide(const std::string& text) { return StrUtil::ToWide(String(text.c_str())); }
std::string Narrow(const WideString& text) { return StrUtil::ToNarrow(text).Std(); }

TorrentInfoPtr Parse(const std::string& bytes) { return ParseTorrentInfo(bytes.data(), bytes.size()); }

std::vector<std::string> PathsOf(const lt::torrent_info& info) {
    std::vector<std::string> paths;
    for (const lt::file_index_t index : info.files().file_range()) paths.push_back(info.files().file_path(index));
    return paths;
}

// A v1 multi-file torrent written by hand, for names no torrent creator would write.
struct RawFile {
    std::vector<std::string> path;
    std::string attr;
};
std::string RawTorrent(const std::string& name, const std::vector<RawFile>& files) {
    lt::entry info;
    info["name"] = name;
    info["piece length"] = 16384;
    lt::entry::list_type list;
    for (const RawFile& file : files) {
        lt::entry entry;
        entry["length"] = 1000;
        lt::entry::list_type path(file.path.begin(), file.path.end());
        entry["path"] = path;
        if (!file.attr.empty()) entry["attr"] = file.attr;
        list.push_back(entry);
    }
    info["files"] = list;
    info["pieces"] = std::string(20 * ((1000 * files.size() + 16383) / 16384), 'h');
    lt::entry root;
    root["info"] = info;
    std::string bytes;
    lt::bencode(std::back_inserter(bytes), root);
    return bytes;
}

TEST(LoadTorrentInfo, ReadsTorrentsFromTheCreatorAndHidesNothingButPads) {
    TempDir dir;
    const Payload payload = {{"a.bin", PatternBytes(20000, 1)}, {"sub/b.bin", PatternBytes(7000, 2)}};
    for (const TorrentFormat format : {TorrentFormat::V1, TorrentFormat::Hybrid}) {
        SCOPED_TRACE(format == TorrentFormat::V1 ? "v1" : "hybrid");
        dir.WriteFile("t.torrent", MakeTorrent(dir.Path(), "Top", payload, {format}));
        const TorrentInfoPtr info = LoadTorrentInfo(Wide(dir / "t.torrent"));
        ASSERT_TRUE(info);
        std::vector<std::string> payloadPaths;
        for (const lt::file_index_t index : info->files().file_range()) {
            if (IsPayloadFile(info->files(), index)) payloadPaths.push_back(info->files().file_path(index));
        }
        EXPECT_EQ(payloadPaths, (std::vector<std::string>{"Top/a.bin", "Top/sub/b.bin"}));
        EXPECT_EQ(PayloadSize(*info), 27000);
        if (format == TorrentFormat::Hybrid) EXPECT_GT(info->total_size(), 27000);  // the pad after a.bin
        EXPECT_TRUE(AllFilesExist(*info, Wide(dir.Path())));
        EXPECT_FALSE(AllFilesExist(*info, Wide(dir / "elsewhere")));
    }
}

TEST(LoadTorrentInfo, RefusesWhatIsNotASoundTorrent) {
    TempDir dir;
    const std::string sound = RawTorrent("top", {{{"a"}, ""}});
    ASSERT_TRUE(Parse(sound));
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"empty", ""},
        {"garbage", "this is no torrent"},
        {"cut short", sound.substr(0, sound.size() - 3)},
        {"no info", "d4:spami1ee"},
        {"deeper than any torrent", std::string(5000, 'l') + std::string(5000, 'e')},
        {"no piece length", std::string(sound).replace(sound.find("i16384e"), 7, "i0e")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(Parse(c.bytes));
        dir.WriteFile("t.torrent", c.bytes);
        EXPECT_FALSE(LoadTorrentInfo(Wide(dir / "t.torrent")));
    }
    EXPECT_FALSE(LoadTorrentInfo(Wide(dir / "missing.torrent")));
    EXPECT_FALSE(LoadTorrentInfo(Wide(dir.Path())));  // a folder
    // Past libtorrent's own limit for torrent files, even when the bytes would parse.
    dir.WriteFile("big.torrent", sound + std::string(static_cast<std::size_t>(kMaxTorrentFileSize), ' '));
    EXPECT_FALSE(LoadTorrentInfo(Wide(dir / "big.torrent")));
}

TEST(LoadTorrentInfo, RefusesNamesThatCouldLeaveTheSaveFolder) {
    // libtorrent would rename these into harmless names; a torrent that needs that is refused.
    struct Case {
        const char* what;
        std::string name;
        std::vector<RawFile> files;
    };
    const Case cases[] = {
        {"parent in a path", "top", {{{"..", "..", "evil"}, ""}}},
        {"parent as the top folder", "..", {{{"evil"}, ""}}},
        {"separator in the top folder", "../../x", {{{"a"}, ""}}},
        {"absolute element", "top", {{{"/etc/passwd"}, ""}}},
        {"backslash", "top", {{{"..\\..\\evil"}, ""}}},
        {"empty element", "top", {{{"", "a"}, ""}}},
        {"dot", "top", {{{"."}, ""}}},
        {"line break", "top", {{{"a\nb"}, ""}}},
        {"symbolic link", "top", {{{"a"}, ""}, {{"link"}, "l"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(Parse(RawTorrent(c.name, c.files)));
    }
    const TorrentInfoPtr plain = Parse(RawTorrent("top", {{{"sub", "a.bin"}, "x"}, {{"Дан ные", "b"}, ""}}));
    ASSERT_TRUE(plain);
    EXPECT_EQ(PathsOf(*plain), (std::vector<std::string>{"top/sub/a.bin", "top/Дан ные/b"}));
}

TEST(ShortPathName, IsTheAbsoluteNormalizedPath) {
    TempDir dir;
    dir.WriteFile("game/Patches/x", "");
    char cwd[4096];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(::chdir((dir / "game").c_str()), 0);
    const std::string root = dir.Path() + "game";
    EXPECT_EQ(ShortPathName(u"Patches").Std(), root + "/Patches");
    EXPECT_EQ(ShortPathName(Wide(root + "/bin/../Patches")).Std(), root + "/Patches");
    EXPECT_EQ(ShortPathName(u"bin/../Patches/").Std(), root + "/Patches/");
    EXPECT_EQ(ShortPathName(u"").Std(), "");
    ASSERT_EQ(::chdir(cwd), 0);
}

lt::peer_id PeerId(const std::string& bytes) {
    lt::peer_id id;
    std::copy_n(bytes.begin(), std::min<std::size_t>(bytes.size(), 20), id.begin());
    return id;
}

TEST(PeerIdText, StaysOnOneLineWhateverThePeerSends) {
    struct Case {
        std::string bytes;
        std::string text;
    };
    const Case cases[] = {
        {"-LT2080-abcdefghijkl", "-LT2080-abcdefghijkl"},
        {std::string("-A2\0junk-after-nul", 18), "-A2"},
        {"-XX-line\nbreak\r\x01\x7F", "-XX-line\\x0Abreak\\x0D\\x01\\x7F"},
        {"back\\slash", "back\\\\slash"},
        {"bad \xC3 utf8 \xFF", "bad \xEF\xBF\xBD utf8 \xEF\xBF\xBD"},
        {"sep \xE2\x80\xA8 \xC2\x85", "sep \\u2028 \\x85"},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Narrow(PeerIdText(PeerId(c.bytes))), c.text);
    }
}

TEST(EndpointText, IsAddressBlankColonBlankPort) {
    EXPECT_EQ(Narrow(EndpointText(lt::make_address("127.0.0.2"), 6881)), "127.0.0.2 : 6881");
    EXPECT_EQ(Narrow(EndpointText(lt::make_address("10.1.2.3"), 65535)), "10.1.2.3 : 65535");
    EXPECT_EQ(Narrow(EndpointText(lt::make_address("2001:db8::1"), 40000)), "2001:db8::1 : 40000");
}

// The host that the IP filter admits for a seed URL: a port or the brackets of an IPv6
// address are no part of it.
TEST(SeedHost, IsTheAuthorityWithoutPortOrBrackets) {
    const std::pair<const char*, const char*> cases[] = {
        {"http://seed1.brennic-online.example/seed/", "seed1.brennic-online.example"},
        {"http://127.0.0.1:8080/seed/", "127.0.0.1"},
        {"https://[::1]:443/", "::1"},
        {"http://[2001:db8::7]/x", "2001:db8::7"},
        {"http://[::1/", ""},
        {"http://2001:db8::7/x", "2001:db8::7"},
        {"file:\\\\server\\seed", "server"},
        {"127.0.0.3/seed/", "127.0.0.3"},
        {"seed.example\\x/y", "seed.example"},
        {"http://host:8080", "host"},
        {"http://", ""},
        {"", ""},
    };
    for (const auto& [url, host] : cases) EXPECT_EQ(TorrentEngine::SeedHost(url), host) << url;
}

TEST(TorrentSessionConfig, SeedUrlsSkipEmptyPieces) {
    struct Case {
        const char* text;
        std::vector<std::string> urls;
    };
    const Case cases[] = {
        {";;http://a/;;http://b/;", {"http://a/", "http://b/"}},
        {"http://only/", {"http://only/"}},
        {"", {}},
        {";;;", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TorrentSessionConfig config;
        config.SetSeedUrls(c.text);
        std::vector<std::string> urls;
        for (const String& url : config.seedUrls) urls.push_back(url.Std());
        EXPECT_EQ(urls, c.urls);
    }
}

}  // namespace
