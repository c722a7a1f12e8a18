// A vfs: address from the page to the key of a resource: only a key that names something
// inside the resources comes out, and every key comes back from its own address.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "shell/html/VfsProtocol.h"

namespace {

// The key names an entry inside the resources: relative, no drive, no '\' or control
// character, and no "." or ".." component nor an empty one but the last (an escaped
// trailing '/').
void ExpectResourceKey(const std::string& key) {
    if (key.empty() || key.front() == '/') __builtin_trap();
    if (key.size() >= 2 && key[1] == ':') __builtin_trap();
    for (unsigned char c : key)
        if (c < 0x20 || c == 0x7F || c == '\\') __builtin_trap();
    std::size_t start = 0;
    while (start <= key.size()) {
        std::size_t end = key.find('/', start);
        if (end == std::string::npos) end = key.size();
        const std::string_view part = std::string_view(key).substr(start, end - start);
        if ((part.empty() && end != key.size()) || part == "." || part == "..") __builtin_trap();
        start = end + 1;
    }
}

std::string PercentEncoded(const std::string& key) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : key) {
        out.push_back('%');
        out.push_back(kHex[c >> 4]);
        out.push_back(kHex[c & 15]);
    }
    return out;
}

bool HasVfsScheme(const std::string& uri) {
    static constexpr std::string_view kScheme = "vfs://";
    if (uri.size() < kScheme.size()) return false;
    for (std::size_t i = 0; i < kScheme.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(uri[i])) != kScheme[i]) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (const std::string& uri : {text, "vfs://" + text}) {
        std::string key = "left over";
        if (!VfsKeyFromUri(uri, key)) {
            if (!key.empty()) __builtin_trap();  // a refusal leaves no key behind
            continue;
        }
        if (!HasVfsScheme(uri)) __builtin_trap();
        ExpectResourceKey(key);
        // Every byte escaped, with a query and a fragment that do not count.
        std::string again;
        if (!VfsKeyFromUri("VFS://" + PercentEncoded(key) + "?q=%2e%2e#/..", again) || again != key) __builtin_trap();
        VfsMimeType(key);
    }
    return 0;
}
