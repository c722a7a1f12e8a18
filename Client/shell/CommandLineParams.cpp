#include "shell/CommandLineParams.h"

#include <filesystem>
#include <string_view>
#include <system_error>
#include <unistd.h>

#include "base/runtime/StrUtil.h"
#include "shell/LauncherConfig.h"
#include "shell/PathText.h"
#include "shell/resources/StringIds.h"
#include "shell/resources/StringTable.h"

namespace {

bool IsRegularFile(const WideString& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(StrUtil::ToNarrow(path).CStr(), error);
}

// A token that is a contiguous part of "UAC", the empty token included.
bool IsPartOfUac(std::u16string_view token) {
    return token.size() <= 3 && std::u16string_view(u"UAC").find(token) != std::u16string_view::npos;
}

}  // namespace

CommandLineParams::CommandLineParams(AppParams& params, const std::string& exePath) : params_(params) {
    const std::filesystem::path exe = std::filesystem::path(exePath).lexically_normal();
    inOwnFolder_ = !exePath.empty() && chdir(exe.parent_path().c_str()) == 0;

    params_.uac = false;
    params_.rip = false;
    AuthKey() = WideString();

    params_.binDir = WideString(u"./");
    params_.gameRoot = PathText::ToGeneric(LoadResString(StringId::GameRoot));
    params_.cmdPath = WideString();
    params_.update = params_.reinstall = params_.dropTemp = false;

    params_.demoPath = PathText::Join(params_.gameRoot, LoadResString(StringId::DemoMarker));
    if (IsRegularFile(params_.demoPath)) {
        params_.demoState = 1;
    } else {
        params_.demoPath = PathText::ReplaceExtension(params_.demoPath, WideString(u"old"));
        params_.demoState = IsRegularFile(params_.demoPath) ? 2 : 0;
    }

    params_.patchesDir = PathText::Join(params_.gameRoot, LoadResString(StringId::PatchesFolder));
    std::error_code error;
    std::filesystem::create_directories(StrUtil::ToNarrow(params_.patchesDir).CStr(), error);

    params_.versionFile = PathText::ToGeneric(LoadResString(StringId::VersionFile));
    params_.globalCfgPath = PathText::Join(params_.gameRoot, LoadResString(StringId::GlobalCfg));
    params_.launcherCfgPath = PathText::Join(params_.gameRoot, LoadResString(StringId::LauncherCfg));

    params_.firewallRule = {PathText::ToGeneric(StrUtil::ToWide(String(exe.generic_string()))),
                            LoadResString(StringId::FirewallRuleName), LoadResString(StringId::FirewallRuleGrouping),
                            LoadResString(StringId::FirewallRuleDescription)};

    params_.server = LoadServerAddress(params_.launcherCfgPath);
    params_.login = LoadUserSettings(params_.globalCfgPath);
}

void CommandLineParams::ParseParam(const WideString& token, bool isSwitch, bool) {
    if (IsPartOfUac(token.View())) {
        params_.uac = true;
        return;
    }
    if (isSwitch) {
        const std::u16string_view name = token.View();
        if (name == u"update") {
            params_.update = true;
            expect_ = Expect::Path;
        } else if (name == u"reinstall") {
            params_.reinstall = true;
            expect_ = Expect::Path;
        } else if (name == u"droptemp") {
            params_.dropTemp = true;
            expect_ = Expect::Path;
        } else if (name == u"authkey") {
            expect_ = Expect::Key;
        } else if (name == u"r" || name == u"rip") {
            params_.rip = true;
        }
        return;
    }
    if (expect_ == Expect::Path) {
        params_.cmdPath = PathText::ToGeneric(token);
    } else {
        AuthKey() = token;  // the expected key, or a bare token taken as the key
    }
    expect_ = Expect::Nothing;
}

void CommandLineParams::ParseArguments(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view raw = argv[i] ? argv[i] : "";
        const bool takesArgument = expect_ != Expect::Nothing && raw.starts_with('/');
        const bool isSwitch = !takesArgument && (raw.starts_with('-') || raw.starts_with('/'));
        const WideString token = StrUtil::ToWide(String(isSwitch ? raw.substr(1) : raw));
        ParseParam(token, isSwitch, i + 1 == argc);
    }
}
