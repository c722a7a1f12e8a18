#include "shell/ProgramStarts.h"

#include <cstdlib>

#include "base/runtime/StrUtil.h"
#include "platform/process/ChildReaper.h"
#include "platform/process/ProcessInfo.h"
#include "shell/LauncherDownloadFolder.h"
#include "shell/PathText.h"
#include "shell/resources/StringIds.h"
#include "shell/resources/StringTable.h"

namespace {

std::string Narrow(const WideString& text) { return StrUtil::ToNarrow(text).Std(); }

void AppendKey(std::vector<std::string>& argv, const WideString& key) {
    if (key.IsEmpty()) return;
    argv.push_back("-authkey");
    argv.push_back(Narrow(key));
}

// What a program needs of the session to open a window on its display.
constexpr const char* kDisplayVariables[] = {"DISPLAY", "XAUTHORITY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"};

bool HasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && value[0] != '\0') return true;
    }
    return false;
}

}  // namespace

std::optional<SpawnRequest> BuildApplierStart(const WideString& followUp, const WideString& key) {
    if (followUp.IsEmpty()) return std::nullopt;
    SpawnRequest request;
    request.program = "./" + Narrow(LoadResString(StringId::PatchApplier));
    request.argv = {request.program, Narrow(followUp)};
    AppendKey(request.argv, key);
    return request;
}

std::optional<SpawnRequest> BuildRestartStart(const AppParams& params, const std::string& ownPath, bool inPlace,
                                              const WideString& key) {
    if (ownPath.empty()) return std::nullopt;
    const WideString own = PathText::ToGeneric(StrUtil::ToWide(String(ownPath.c_str())));
    SpawnRequest request;
    if (inPlace) {
        request.program = Narrow(own);
        request.argv = {request.program};
        request.workingDir = Narrow(PathText::Parent(own));
    } else {
        const WideString target = PathText::Join(params.cmdPath, WideString(u"bin/Launcher.exe"));
        request.program = Narrow(target);
        request.argv = {request.program};
        // Only the download folder itself is named, never the temporary folder around it.
        const std::string download = LauncherDownloadOf(Narrow(own));
        if (!download.empty()) request.argv.insert(request.argv.end(), {"-droptemp", download});
        request.workingDir = Narrow(PathText::Parent(target));
    }
    if (params.uac) request.argv.push_back("-UAC");
    AppendKey(request.argv, key);
    return request;
}

std::optional<SpawnRequest> BuildElevatedStart(const std::string& ownPath, bool rip) {
    const std::string pkexec = FindExecutableInPath("pkexec");
    const std::string env = FindExecutableInPath("env");
    if (ownPath.empty() || pkexec.empty() || env.empty() || !HasDisplay()) return std::nullopt;
    SpawnRequest request;
    request.program = pkexec;
    // pkexec starts its program in the target user's home with a bare environment:
    // env puts the launcher back into its bin folder, where its relative paths start,
    // and hands on the display it is to open its window on.
    const std::string ownFolder = Narrow(PathText::Parent(PathText::ToGeneric(StrUtil::ToWide(String(ownPath.c_str())))));
    request.argv = {pkexec, env, "--chdir=" + (ownFolder.empty() ? std::string("/") : ownFolder)};
    for (const char* name : kDisplayVariables) {
        const char* value = std::getenv(name);
        if (value && value[0] != '\0') request.argv.push_back(std::string(name) + "=" + value);
    }
    request.argv.insert(request.argv.end(), {ownPath, "-UAC"});
    if (rip) request.argv.push_back("-rip");
    return request;
}

bool StartDetached(const std::optional<SpawnRequest>& request) {
    if (!request) return false;
    ProcessHandle child = SpawnChild(*request);
    if (!child.IsValid()) return false;
    // Not waited for; should the launcher outlive it, the main loop reaps it.
    ReapWhenEnded(std::move(child));
    return true;
}

void RestartLauncher(bool inPlace) {
    const AppParams* params = GetAppParams();
    if (!params) return;
    StartDetached(BuildRestartStart(*params, GetOwnExecutablePath(), inPlace, AuthKey()));
}
