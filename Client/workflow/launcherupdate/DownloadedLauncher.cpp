#include "workflow/launcherupdate/DownloadedLauncher.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "base/runtime/Log.h"
#include "base/runtime/StrUtil.h"
#include "platform/posix/RegularFile.h"
#include "shell/ProgramStarts.h"
#include "shell/html/HtmlScript.h"
#include "workflow/launcherupdate/LauncherTree.h"

namespace {

std::string ParentOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return std::string();
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

}  // namespace

int ParseLauncherMode(const WideString& text) {
    // The text must be the number and nothing else: no blanks, no trailing letters.
    const std::u16string_view digits = text.View().substr(!text.IsEmpty() && (text[0] == u'-' || text[0] == u'+'));
    const bool hex = digits.size() > 2 && digits[0] == u'0' && (digits[1] == u'x' || digits[1] == u'X');
    if (digits.empty()) return 0;
    for (char16_t c : digits.substr(hex ? 2 : 0)) {
        const bool decimal = c >= u'0' && c <= u'9';
        const bool letter = (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
        if (!decimal && !(hex && letter)) return 0;
    }
    bool ok = false;
    const int mode = StrUtil::ParseInt(String(text).CStr(), &ok);
    return ok ? mode : 0;
}

std::string FirstSubfolderName(const std::string& folder) {
    std::vector<FolderEntry> entries;
    if (!ListFolder(folder, entries)) return std::string();
    for (const FolderEntry& entry : entries)
        if (entry.directory) return entry.name;
    return std::string();
}

std::optional<SpawnRequest> BuildDownloadedLauncherStart(int mode, const std::string& torrentPath,
                                                         const std::string& ownPath, bool uac, const WideString& key) {
    if ((mode != 1 && mode != 2) || ownPath.empty() || torrentPath.empty()) return std::nullopt;
    const std::string downloadFolder = ParentOf(torrentPath);
    const std::string subfolder = FirstSubfolderName(downloadFolder);
    const std::string launcherFolder = subfolder.empty() ? downloadFolder : downloadFolder + "/" + subfolder;
    const std::string gameRoot = ParentOf(ParentOf(ownPath));
    SpawnRequest request;
    request.program = launcherFolder + "/Launcher.exe";
    request.argv = {request.program, mode == 1 ? "/update" : "/reinstall", gameRoot};
    if (uac) request.argv.push_back("/UAC");
    if (!key.IsEmpty()) {
        request.argv.push_back("/authkey");
        request.argv.push_back(StrUtil::ToNarrow(key).Std());
    }
    request.workingDir = launcherFolder;
    return request;
}

bool StartDownloadedLauncher(const SpawnRequest& request) {
    // Downloads arrive without the execute bits. The mode changes through a descriptor
    // of the file itself, so a link in its place does not pass the change on.
    struct stat info {};
    const int program = Posix::OpenRegularFile(request.program.c_str(), Posix::Links::Refuse, &info);
    if (program >= 0) {
        if ((info.st_mode & 0755) != 0755) ::fchmod(program, (info.st_mode & 0777) | 0755);
        ::close(program);
    }
    if (StartDetached(request)) return true;
    const int error = errno;
    if (std::ostream* log = GetLog(WideString(kPageLogName)))
        *log << "cannot start the new launcher " << request.program << ": " << std::strerror(error) << std::endl;
    return false;
}
