#include "shell/DemoMarker.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

#include "base/runtime/StrUtil.h"
#include "platform/posix/FileMove.h"
#include "platform/posix/RegularFile.h"
#include "platform/posix/TreeDeletion.h"
#include "shell/PathText.h"

namespace {

constexpr std::size_t kMarkerLimit = 260;

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

void RemoveDownloadFolder(const WideString& patchesDir, const WideString& name) {
    if (name.IsEmpty()) return;
    const std::string folder =
        Posix::CanonicalChild(StrUtil::ToNarrow(patchesDir).Std(), StrUtil::ToNarrow(name).Std());
    struct stat info {};
    if (!folder.empty() && ::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) Posix::DeleteTree(folder);
}

void FinalizeDemoMarker(const AppParams& params) {
    const std::string marker = StrUtil::ToNarrow(params.demoPath).Std();
    std::string contents;
    if (Posix::ReadRegularFile(marker.c_str(), Posix::Links::Follow, kMarkerLimit, contents) != Posix::ReadOutcome::Failed)
        RemoveDownloadFolder(params.patchesDir, DemoDownloadFolderName(contents));
    // The marker names the repair torrent, whose files land below the full version's
    // own folder: that folder holds nothing but the cancelled download.
    RemoveDownloadFolder(params.patchesDir, WideString(kFullVersionFolder));
    std::error_code error;
    std::filesystem::remove(marker, error);
    const std::string fresh = StrUtil::ToNarrow(PathText::ReplaceExtension(params.demoPath, WideString(u"bin"))).Std();
    WriteEmptyFileReplacing(fresh);
}
