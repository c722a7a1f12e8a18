#include "support/torrents/TorrentFixtures.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <iterator>

#include <libtorrent/bencode.hpp>
#include <libtorrent/create_torrent.hpp>
#include <libtorrent/settings_pack.hpp>


std::string MakeTorrent(const std::string& folder, const std::string& top, const Payload& payload,
                        const TorrentOptions& options) {
    for (const PayloadFile& file : payload) {
        if (!WriteWholeFile(folder + "/" + top + "/" + file.path, file.bytes)) {
            ADD_FAILURE() << "cannot write " << file.path;
            return "";
        }
    }
    return TorrentOfFiles(folder, top, payload, options);
}

std::string TorrentOfFiles(const std::string& folder, const std::string& top, const Payload& payload,
                           const TorrentOptions& options) {
    try {
        lt::file_storage files;
        for (const PayloadFile& file : payload) {
            const std::uintmax_t size = std::filesystem::file_size(folder + "/" + top + "/" + file.path);
            files.add_file(top + "/" + file.path, static_cast<std::int64_t>(size));
        }
        lt::create_torrent creator(files, options.pieceSize,
                                   options.format == TorrentFormat::V1 ? lt::create_torrent::v1_only : lt::create_flags_t{});
        for (const std::string& tracker : options.trackers) creator.add_tracker(tracker);
        for (const std::string& seed : options.webSeeds) creator.add_url_seed(seed);
        // Read without mapping the files: a mapped read would take SIGBUS over in the
        // test process, which tests of the launcher's guarded mappings rely on.
        lt::settings_pack settings;
        settings.set_int(lt::settings_pack::mmap_file_size_cutoff, INT_MAX);
        lt::error_code ec;
        lt::set_piece_hashes(creator, folder, settings, [](lt::piece_index_t) {}, ec);
        if (ec) {
            ADD_FAILURE() << "hashing failed: " << ec.message();
            return "";
        }
        std::string bytes;
        lt::bencode(std::back_inserter(bytes), creator.generate());
        return bytes;
    } catch (const std::exception& error) {
        ADD_FAILURE() << "torrent not made: " << error.what();
        return "";
    }
}
