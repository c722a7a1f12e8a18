#include "workflow/game/GameLaunch.h"

#include "base/runtime/StrUtil.h"
#include "platform/process/EnvironmentBlock.h"
#include "platform/process/ProcessInfo.h"
#include "workflow/game/PasswordCipher.h"

namespace GameLaunch {

namespace {

std::string Narrow(const WideString& text) { return StrUtil::ToNarrow(text).Std(); }

}  // namespace

char VantryDigit(bool fakeVantry, bool hubLinked, bool startedByHub) {
    if (fakeVantry || !hubLinked) return '0';
    return startedByHub ? '1' : '2';
}

bool LauncherStartedByHub() {
    std::string parent;
    if (!GetProcessImagePath(GetParentProcessId(), parent)) return false;
    return StrUtil::EqualsIgnoringCase(std::string_view(parent).substr(parent.find_last_of('/') + 1), "vantryhub.exe");
}

SpawnRequest BuildRequest(const Input& input) {
    SpawnRequest request;
    const std::string executable = Narrow(input.executable);
    request.program = input.binFolder + "/" + executable;
    request.workingDir = input.binFolder;
    request.argv = {executable};
    if (!input.key.IsEmpty()) {
        request.argv.push_back("-authkey");
        request.argv.push_back(Narrow(input.key));
    }
    if (input.vantry) {
        request.argv.push_back("-vantry");
        request.argv.push_back(std::string(1, *input.vantry));
    }

    // Credentials our own starter left in our environment are not the player's.
    EnvironmentBlock environment = EnvironmentBlock::Inherited();
    environment.Remove(kLoginVariable);
    environment.Remove(kPasswordVariable);
    if (!input.login.IsEmpty() && environment.Set(kLoginVariable, Narrow(input.login)))
        environment.Set(kPasswordVariable, Narrow(EncipherPassword(input.password)));
    request.environment = environment.Entries();
    return request;
}

}  // namespace GameLaunch
