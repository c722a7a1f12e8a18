#include "engine/torrent/TorrentFiles.h"

#include <exception>
#include <string>

#include <libtorrent/bdecode.hpp>
#include <libtorrent/string_view.hpp>

#include "base/io/Path.h"
#include "base/runtime/StrUtil.h"
#include "platform/posix/RegularFile.h"

namespace {

// libtorrent's own load limits. Real torrents nest a few levels (a file path is one
// list); the token bound caps the memory of the decoded tree.
constexpr int kMaxDepth = 100;
constexpr int kMaxTokens = 3000000;

// One element of a file's path as the torrent gives it: a plain name. libtorrent would
// quietly rewrite "..", separators and empty names into other names inside the save
// folder; a torrent that needs that was not made by the update server, so it is
// refused instead. Control characters would reach file names and log lines.
bool IsPlainName(lt::string_view name) { return Path::IsPlainName(std::string_view(name.data(), name.size())); }

// A symbolic link could point anywhere; the game's torrents never hold one.
bool IsSymlink(const lt::bdecode_node& file) {
    return file.dict_find_string_value("attr").find('l') != lt::string_view::npos;
}

bool PathIsPlain(const lt::bdecode_node& path) {
    if (path.type() != lt::bdecode_node::list_t || path.list_size() == 0) return false;
    for (int i = 0; i < path.list_size(); ++i) {
        const lt::bdecode_node element = path.list_at(i);
        if (element.type() != lt::bdecode_node::string_t || !IsPlainName(element.string_value())) return false;
    }
    return true;
}

// v1 file list: every "path" (and its UTF-8 twin) of plain names, no links.
bool FileListIsPlain(const lt::bdecode_node& files) {
    for (int i = 0; i < files.list_size(); ++i) {
        const lt::bdecode_node file = files.list_at(i);
        if (file.type() != lt::bdecode_node::dict_t || IsSymlink(file)) return false;
        if (!PathIsPlain(file.dict_find("path"))) return false;
        const lt::bdecode_node utf8 = file.dict_find("path.utf-8");
        if (utf8 && !PathIsPlain(utf8)) return false;
    }
    return true;
}

// v2 file tree: folder names as keys down to a file's "" entry. The decoder's depth
// limit bounds the recursion.
bool FileTreeIsPlain(const lt::bdecode_node& tree) {
    if (tree.type() != lt::bdecode_node::dict_t) return false;
    for (int i = 0; i < tree.dict_size(); ++i) {
        const auto [key, value] = tree.dict_at(i);
        if (key.empty()) {
            if (value.type() != lt::bdecode_node::dict_t || IsSymlink(value)) return false;
        } else if (!IsPlainName(key) || !FileTreeIsPlain(value)) {
            return false;
        }
    }
    return true;
}

bool NamesArePlain(const lt::bdecode_node& root) {
    const lt::bdecode_node info = root.dict_find_dict("info");
    if (!info) return false;
    if (!IsPlainName(info.dict_find_string_value("name"))) return false;
    const lt::bdecode_node utf8Name = info.dict_find("name.utf-8");
    if (utf8Name && (utf8Name.type() != lt::bdecode_node::string_t || !IsPlainName(utf8Name.string_value()))) return false;
    if (IsSymlink(info)) return false;
    const lt::bdecode_node files = info.dict_find_list("files");
    if (files && !FileListIsPlain(files)) return false;
    const lt::bdecode_node tree = info.dict_find("file tree");
    return !tree || FileTreeIsPlain(tree);
}

}  // namespace

TorrentInfoPtr ParseTorrentInfo(const char* data, std::size_t size) {
    if (!data || size == 0 || size > static_cast<std::size_t>(kMaxTorrentFileSize)) return nullptr;
    try {
        lt::error_code ec;
        int errorPosition = 0;
        const lt::bdecode_node root =
            lt::bdecode({data, static_cast<std::ptrdiff_t>(size)}, ec, &errorPosition, kMaxDepth, kMaxTokens);
        if (ec || root.type() != lt::bdecode_node::dict_t || !NamesArePlain(root)) return nullptr;
        auto info = std::make_shared<lt::torrent_info>(root, ec);
        if (ec || !info->is_valid()) return nullptr;
        return info;
    } catch (const std::exception&) {
        return nullptr;
    }
}

TorrentInfoPtr LoadTorrentInfo(const WideString& torrentPath) {
    const String path = ShortPathName(torrentPath);
    std::string bytes;
    if (path.IsEmpty() || Posix::ReadRegularFile(path.CStr(), Posix::Links::Follow,
                                                 static_cast<std::size_t>(kMaxTorrentFileSize), bytes) !=
                              Posix::ReadOutcome::Whole)
        return nullptr;
    return ParseTorrentInfo(bytes.data(), bytes.size());
}

String ShortPathName(const WideString& path) {
    String narrow;
    if (path.IsEmpty() || !StrUtil::WideToUtf8(narrow, path)) return String();
    if (!Path::IsSeparator(narrow[0]) && Path::CurrentDirectory().IsEmpty()) return String();
    return Path::AbsolutePath(narrow);
}

bool IsPayloadFile(const lt::file_storage& files, lt::file_index_t index) { return !files.pad_file_at(index); }

std::int64_t PayloadSize(const lt::torrent_info& info) {
    const lt::file_storage& files = info.files();
    std::int64_t total = 0;
    for (const lt::file_index_t index : files.file_range()) {
        if (IsPayloadFile(files, index)) total += files.file_size(index);
    }
    return total;
}

bool AllFilesExist(const lt::torrent_info& info, const WideString& savePath) {
    String folder;
    if (!StrUtil::WideToUtf8(folder, savePath)) return false;
    const lt::file_storage& files = info.files();
    for (const lt::file_index_t index : files.file_range()) {
        if (!IsPayloadFile(files, index)) continue;
        if (!Path::FileExists(Path::Join(folder, String(files.file_path(index).c_str())))) return false;
    }
    return true;
}
