#include "shell/DemoMarker.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "base/runtime/StrUtil.h"
#include "shell/PathText.h"

namespace {

constexpr std::size_t kMarkerLimit = 260;

// patchesDir/<name> with everything in it; a link is not followed.
void RemoveDownloadFolder(const AppParams& params, const WideString& name) {
    if (name.IsEmpty()) return;
    const std::string folder = StrUtil::ToNarrow(PathText::Join(params.patchesDir, name)).Std();
    std::error_code error;
    if (std::filesystem::is_directory(std::filesystem::symlink_status(folder, error)))
        std::filesystem::remove_all(folder, error);
}

}  // namespace

WideString DemoDownloadFolderName(std::string_view contents) {
    contents = contents.substr(0, std::min(contents.size(), kMarkerLimit));
    contents = contents.substr(0, contents.find('\0'));
    if (contents.empty() || contents == "." || contents == "..") return WideString();
    for (unsigned char c : contents)
        if (c < 0x20 || c == 0x7F || c == '/' || c == '\\') return WideString();
    WideString name;
    if (!StrUtil::Utf8ToWide(name, String(contents))) return WideString();
    return name;
}

void FinalizeDemoMarker(const AppParams& params) {
    const std::string marker = StrUtil::ToNarrow(params.demoPath).Std();
    std::error_code error;
    if (std::filesystem::is_regular_file(marker, error)) {
        std::string contents(kMarkerLimit, '\0');
        std::ifstream in(marker, std::ios::binary);
        in.read(contents.data(), static_cast<std::streamsize>(contents.size()));
        contents.resize(static_cast<std::size_t>(in.gcount()));
        RemoveDownloadFolder(params, DemoDownloadFolderName(contents));
    }
    // The marker names the repair torrent, whose files land below the full version's
    // own folder: that folder holds nothing but the cancelled download.
    RemoveDownloadFolder(params, WideString(kFullVersionFolder));
    std::filesystem::remove(marker, error);
    const std::string fresh = StrUtil::ToNarrow(PathText::ReplaceExtension(params.demoPath, WideString(u"bin"))).Std();
    std::ofstream(fresh, std::ios::binary | std::ios::trunc);
}
