#pragma once
// .torrent files and the payload files they describe. Torrent files come from the
// update server and are untrusted: parsing is bounded in depth and tokens, and a
// torrent is refused unless every element of its file paths is a plain name (no "..",
// no separator, no empty name, no control character) and it holds no symbolic link,
// so that its files can only land below the save folder, under the names it gives.
#include <cstddef>
#include <cstdint>
#include <memory>

#include <libtorrent/torrent_info.hpp>

#include "base/runtime/String.h"

using TorrentInfoPtr = std::shared_ptr<lt::torrent_info>;

// The largest .torrent file read, as libtorrent's own loader limits it.
constexpr std::int64_t kMaxTorrentFileSize = 10000000;

// The torrent described by the bytes; null for anything that is not a sound torrent.
TorrentInfoPtr ParseTorrentInfo(const char* data, std::size_t size);
// The torrent in the file; null when the file is missing, empty, too large or unsound.
TorrentInfoPtr LoadTorrentInfo(const WideString& torrentPath);

// The path made absolute and normalized, as the engine's UTF-8 text; empty when it
// cannot be. (The short 8.3 names of other systems do not exist here.)
String ShortPathName(const WideString& path);

// Pad files only align the real files to pieces; they are never written or shown.
bool IsPayloadFile(const lt::file_storage& files, lt::file_index_t index);
// The bytes of all payload files.
std::int64_t PayloadSize(const lt::torrent_info& info);
// Every payload file exists below savePath.
bool AllFilesExist(const lt::torrent_info& info, const WideString& savePath);
