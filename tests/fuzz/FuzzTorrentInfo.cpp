// Torrent files from outside: raw bytes, and torrents built around names taken from the
// input, so that the checks of names and links run on bytes that decode (random bytes
// seldom do). The peer id text runs on the input as well.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>

#include <libtorrent/bencode.hpp>
#include <libtorrent/entry.hpp>

#include "engine/torrent/PeerText.h"
#include "engine/torrent/TorrentFiles.h"

namespace {

// name, then files separated by NUL bytes, their path elements by '/'; a leading 'l',
// 'p' or 'x' on a file becomes its "attr".
std::string TorrentAround(const std::string& text) {
    std::size_t at = text.find('\0');
    lt::entry info;
    info["name"] = text.substr(0, at);
    info["piece length"] = 16384;
    lt::entry::list_type files;
    std::int64_t total = 0;
    while (at != std::string::npos && files.size() < 64) {
        const std::size_t next = text.find('\0', at + 1);
        std::string file = text.substr(at + 1, next == std::string::npos ? std::string::npos : next - at - 1);
        at = next;
        lt::entry entry;
        if (!file.empty() && (file[0] == 'l' || file[0] == 'p' || file[0] == 'x')) {
            entry["attr"] = file.substr(0, 1);
            file.erase(0, 1);
        }
        lt::entry::list_type path;
        std::size_t start = 0;
        for (std::size_t slash; (slash = file.find('/', start)) != std::string::npos; start = slash + 1) {
            path.push_back(file.substr(start, slash - start));
        }
        path.push_back(file.substr(start));
        entry["path"] = path;
        entry["length"] = 1000;
        total += 1000;
        files.push_back(entry);
    }
    if (!files.empty()) {
        info["files"] = files;
    } else {
        info["length"] = 1000;
        total = 1000;
    }
    info["pieces"] = std::string(static_cast<std::size_t>(20 * ((total + 16383) / 16384)), 'h');
    lt::entry root;
    root["info"] = info;
    std::string bytes;
    lt::bencode(std::back_inserter(bytes), root);
    return bytes;
}

void Use(const TorrentInfoPtr& info) {
    if (!info) return;
    std::int64_t names = 0;
    for (const lt::file_index_t index : info->files().file_range()) {
        if (IsPayloadFile(info->files(), index)) names += static_cast<std::int64_t>(info->files().file_path(index).size());
    }
    if (PayloadSize(*info) < 0 || names < 0) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] & 1) {
        Use(ParseTorrentInfo(text.data(), text.size()));
    } else {
        const std::string torrent = TorrentAround(text);
        Use(ParseTorrentInfo(torrent.data(), torrent.size()));
    }
    lt::peer_id id;
    for (std::size_t i = 0; i < id.size() && i < text.size(); ++i) id[i] = static_cast<char>(text[i]);
    PeerIdText(id);
    return 0;
}
