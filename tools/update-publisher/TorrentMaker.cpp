#include "TorrentMaker.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <libtorrent/bencode.hpp>
#include <libtorrent/create_torrent.hpp>
#include <libtorrent/file_storage.hpp>

namespace fs = std::filesystem;

bool MakeTorrent(const std::string& parent, const std::string& top, const TorrentSources& sources,
                 const std::string& torrentPath, std::string& error) {
    try {
        std::vector<std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(fs::path(parent) / top))
            if (entry.is_regular_file()) files.push_back(fs::relative(entry.path(), parent).generic_string());
        if (files.empty()) {
            error = "no files under " + (fs::path(parent) / top).string();
            return false;
        }
        std::sort(files.begin(), files.end());
        lt::file_storage storage;
        // Programs keep their executable bit through the torrent's "x" attribute.
        for (const std::string& file : files) {
            const fs::path path = fs::path(parent) / file;
            const bool program = (fs::status(path).permissions() & fs::perms::owner_exec) != fs::perms::none;
            storage.add_file(file, static_cast<std::int64_t>(fs::file_size(path)),
                             program ? lt::file_storage::flag_executable : lt::file_flags_t {});
        }
        lt::create_torrent torrent(storage, 16 * 1024, lt::create_torrent::v1_only);
        for (const std::string& seed : sources.webSeeds) torrent.add_url_seed(seed);
        for (const std::string& tracker : sources.trackers) torrent.add_tracker(tracker);
        torrent.set_creator("update_publisher");
        lt::set_piece_hashes(torrent, parent);
        std::vector<char> bytes;
        lt::bencode(std::back_inserter(bytes), torrent.generate());
        fs::create_directories(fs::path(torrentPath).parent_path());
        std::ofstream out(torrentPath, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) {
            error = "cannot write " + torrentPath;
            return false;
        }
        return true;
    } catch (const std::exception& exception) {
        error = exception.what();
        return false;
    }
}
