#include "shell/ProgramStarts.h"

#include <cstdlib>

#include "base/runtime/StrUtil.h"
#include "platform/process/ProcessInfo.h"
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
        request.argv = {request.program, "-droptemp", Narrow(PathText::Parent(PathText::Parent(own)))};
        request.workingDir = Narrow(PathText::Parent(target));
    }
    if (params.uac) request.argv.push_back("-UAC");
    AppendKey(request.argv, key);
    return request;
}

std::optional<SpawnRequest> BuildElevatedStart(const std::string& ownPath, bool rip) {
    const std::string pkexec = FindExecutableInPath("pkexec");
    if (ownPath.empty() || pkexec.empty() || !HasDisplay()) return std::nullopt;
    SpawnRequest request;
    request.program = pkexec;
    request.argv = {pkexec, ownPath, "-UAC"};
    if (rip) request.argv.push_back("-rip");
    return request;
}

bool StartDetached(const std::optional<SpawnRequest>& request) {
    // The launcher ends right after such a start; the child is not waited for.
    return request && SpawnProcess(*request) > 0;
}

void RestartLauncher(bool inPlace) {
    const AppParams* params = GetAppParams();
    if (!params) return;
    StartDetached(BuildRestartStart(*params, GetOwnExecutablePath(), inPlace, AuthKey()));
}
