#include "shell/html/VfsProtocol.h"

#include <cctype>
#include <map>
#include <string_view>

#include "base/io/FileStream.h"
#include "base/vfs/WinVFS.h"

namespace {

constexpr std::string_view kScheme = "vfs:";

std::map<std::string, std::shared_ptr<const std::string>>& StreamCache() {
    static auto* cache = new std::map<std::string, std::shared_ptr<const std::string>>;
    return *cache;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool PercentDecode(std::string_view text, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        const int high = i + 1 < text.size() ? HexValue(text[i + 1]) : -1;
        const int low = i + 2 < text.size() ? HexValue(text[i + 2]) : -1;
        if (high < 0 || low < 0) return false;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

// Checked after decoding, so that "%2e%2e" and "%5c" are caught as well.
bool IsSafeResourceKey(const std::string& key) {
    if (key.empty() || key.front() == '/') return false;
    if (key.size() >= 2 && key[1] == ':') return false;  // a drive path
    for (unsigned char c : key)
        if (c < 0x20 || c == 0x7f || c == '\\') return false;
    std::size_t start = 0;
    while (start <= key.size()) {
        std::size_t end = key.find('/', start);
        if (end == std::string::npos) end = key.size();
        const std::string_view part(key.data() + start, end - start);
        if (part == ".." || part == ".") return false;
        if (part.empty() && end != key.size()) return false;  // "//"
        start = end + 1;
    }
    return true;
}

struct MimeByExtension {
    const char* extension;
    const char* type;
};

constexpr MimeByExtension kMimeTypes[] = {
    {"htm", "text/html"},         {"html", "text/html"},       {"js", "text/javascript"},
    {"css", "text/css"},          {"png", "image/png"},        {"jpg", "image/jpeg"},
    {"jpeg", "image/jpeg"},       {"gif", "image/gif"},        {"svg", "image/svg+xml"},
    {"ico", "image/x-icon"},      {"bmp", "image/bmp"},        {"webp", "image/webp"},
    {"json", "application/json"}, {"xml", "application/xml"},  {"txt", "text/plain"},
    {"woff", "font/woff"},        {"woff2", "font/woff2"},     {"ttf", "font/ttf"},
};

}  // namespace

bool IsVfsAddress(const std::string& uri) {
    if (uri.size() < kScheme.size()) return false;
    for (std::size_t i = 0; i < kScheme.size(); ++i)
        if (static_cast<char>(std::tolower(static_cast<unsigned char>(uri[i]))) != kScheme[i]) return false;
    return true;
}

bool VfsKeyFromUri(const std::string& uri, std::string& key) {
    key.clear();
    if (!IsVfsAddress(uri)) return false;
    std::string_view rest(uri);
    rest.remove_prefix(kScheme.size());
    if (rest.substr(0, 2) != "//") return false;
    rest.remove_prefix(2);
    rest = rest.substr(0, rest.find_first_of("?#"));
    // A trailing '/' names the same entry, as it always has.
    if (!rest.empty() && rest.back() == '/') rest.remove_suffix(1);
    std::string decoded;
    if (!PercentDecode(rest, decoded) || !IsSafeResourceKey(decoded)) return false;
    key = std::move(decoded);
    return true;
}

const char* VfsMimeType(const std::string& key) {
    const std::size_t dot = key.find_last_of('.');
    const std::size_t slash = key.find_last_of('/');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        std::string extension = key.substr(dot + 1);
        for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        for (const MimeByExtension& entry : kMimeTypes)
            if (extension == entry.extension) return entry.type;
    }
    return "application/octet-stream";
}

std::shared_ptr<const std::string> OpenVfsStream(const std::string& key) {
    auto& cache = StreamCache();
    if (auto cached = cache.find(key); cached != cache.end()) return cached->second;
    RefPtr<NVFS::IVFS> vfs = NVFS::GetGlobalVFS();
    if (!vfs || !vfs->Exists(NVFS::FilePath(String(key)))) return nullptr;
    const NVFS::FilePath path{String(key)};
    RefPtr<CFileStream> stream(new CFileStream(vfs.Get(), path));
    if (stream->HasError() || !stream->IsReadable()) return nullptr;
    auto bytes = std::make_shared<const std::string>(reinterpret_cast<const char*>(stream->Data()), stream->Size());
    if (!stream->Close()) return nullptr;  // the file was cut short while it was copied
    // Only found keys are kept: a page asking for endless missing names costs nothing.
    cache.emplace(key, bytes);
    return bytes;
}

UriSchemeResponse VfsSchemeHandler::Handle(const std::string& uri) {
    UriSchemeResponse response;
    std::string key;
    if (!VfsKeyFromUri(uri, key)) {
        response.error = "not a resource address: " + uri;
        return response;
    }
    std::shared_ptr<const std::string> bytes = OpenVfsStream(key);
    if (!bytes) {
        const std::size_t slash = key.find('/');
        if (slash != std::string::npos) {
            key = key.substr(slash + 1);
            bytes = OpenVfsStream(key);
        }
    }
    if (!bytes) {
        response.error = "no such resource: " + uri;
        return response;
    }
    response.found = true;
    response.body = std::move(bytes);
    response.mimeType = VfsMimeType(key);
    return response;
}

bool RegisterVfsProtocol(IUiToolkit& toolkit, const WideString& root, const WideString& packName,
                         const ByteVector& archive) {
    static bool registered = false;
    if (!registered) registered = toolkit.RegisterUriScheme("vfs", std::make_shared<VfsSchemeHandler>());
    if (!registered) return false;
    RefPtr<NVFS::CWinVFS> vfs = NVFS::CWinVFS::Create(String(root), String(), StringVector());
    if (!vfs) return false;
    // A broken archive leaves only the loose files; the page then fails to load and
    // the start handshake reports it.
    vfs->MountPack(packName, 0, archive.Data(), archive.Data() + archive.Size());
    StreamCache().clear();
    NVFS::SetGlobalVFS(vfs.Get());
    return true;
}

void UnregisterVfsProtocol() {
    StreamCache().clear();
    NVFS::SetGlobalVFS(nullptr);
}
