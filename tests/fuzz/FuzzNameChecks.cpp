// Names from outside before they are joined to a folder: a relative path from a version
// file or the repair list, a file name from the update server, the demo marker's folder
// name. Whatever a check lets through must stay inside the folder it is joined to.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "base/runtime/StrUtil.h"
#include "engine/checks/RepairThread.h"
#include "engine/gamedata/GameNames.h"
#include "engine/servers/FetchedFiles.h"
#include "shell/DemoMarker.h"

namespace {

bool IsSeparator(char16_t c) { return c == u'/' || c == u'\\'; }

// Joined to a folder, with '\' read as a separator as the repair reads it, the name
// stays below the folder and names something in it.
void ExpectConfined(std::string relative) {
    for (char& c : relative)
        if (c == '\\') c = '/';
    if (!relative.empty() && relative.front() == '/') __builtin_trap();
    std::size_t start = 0;
    while (start <= relative.size()) {
        std::size_t end = relative.find('/', start);
        if (end == std::string::npos) end = relative.size();
        if (std::string_view(relative).substr(start, end - start) == "..") __builtin_trap();
        start = end + 1;
    }
    for (unsigned char c : relative)
        if (c < 0x20) __builtin_trap();
    const std::filesystem::path joined = (std::filesystem::path("/folder") / relative).lexically_normal();
    const std::string text = joined.generic_string();
    if (text != "/folder" && text.rfind("/folder/", 0) != 0) __builtin_trap();
}

// One plain name: no separator, no control character, not "." or "..", and as the
// relative-path check and the server-name reduction accept it unchanged.
void ExpectPlainName(const WideString& name) {
    if (name.IsEmpty() || name.Equals(u".") || name.Equals(u"..")) __builtin_trap();
    for (std::size_t i = 0; i < name.Length(); ++i)
        if (IsSeparator(name[i]) || name[i] < 0x20 || name[i] == 0x7F) __builtin_trap();
    if (!ServerFileName(name).Equals(name)) __builtin_trap();
    const String narrow = StrUtil::ToNarrow(name);
    if (!Game::IsSafeRelativePath(narrow)) __builtin_trap();
    ExpectConfined(narrow.Std());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const String narrow(text.data(), text.data() + text.size());
    if (Game::IsSafeRelativePath(narrow)) ExpectConfined(text);

    // The repair's form of an entry: empty, or confined with '/' separators only.
    WideString wide;
    StrUtil::Utf8ToWide(wide, narrow);
    const String entry = ConfinedEntryPath(wide);
    if (!entry.IsEmpty()) {
        if (entry.Std().find('\\') != std::string::npos || !Game::IsSafeRelativePath(entry)) __builtin_trap();
        ExpectConfined(entry.Std());
    }

    // The same bytes as UTF-16 units, as a server's name reaches the launcher.
    WideString units;
    for (std::size_t i = 0; i + 1 < size; i += 2) units.Append(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    for (const WideString& name : {wide, units}) {
        const WideString last = ServerFileName(name);
        if (last.IsEmpty()) continue;
        ExpectPlainName(last);
        // The last component of what was given.
        if (name.Length() < last.Length() || !name.Substr(name.Length() - last.Length()).Equals(last)) __builtin_trap();
    }

    const WideString folder = DemoDownloadFolderName(text);
    if (!folder.IsEmpty()) {
        ExpectPlainName(folder);
        // Read from the marker's text before its first NUL.
        String back;
        if (!StrUtil::WideToUtf8(back, folder) || text.compare(0, back.Length(), back.Std()) != 0) __builtin_trap();
    }
    return 0;
}
