#include "workflow/MainState.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "base/runtime/StrUtil.h"
#include "engine/torrent/TorrentSessionConfig.h"
#include "platform/process/ProcessSpawn.h"
#include "shell/AppParams.h"
#include "shell/ProgramStarts.h"
#include "workflow/PageCommands.h"
#include "workflow/WorkflowValues.h"

namespace {

WideStringVector OneArgument(const WideString& text) {
    WideStringVector arguments;
    arguments.PushBack(text);
    return arguments;
}

// Moves from to to unless to exists: an older "demo.old" is never replaced.
bool RenameWithoutReplacing(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // File systems without the flag: a hard link fails on an existing name too.
    if (link(from.c_str(), to.c_str()) != 0) return false;
    unlink(from.c_str());
    return true;
}

bool IsRegularFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// "bin/demo.bin" -> "bin/demo.old": the extension of the last component is replaced.
std::string WithOldExtension(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
    return (hasExtension ? path.substr(0, dot) : path) + ".old";
}

}  // namespace

MainState* MainState::Create(IMainWindow* window, const FeatureFactories& factories) {
    return new MainState(window, factories);
}

MainState::MainState(IMainWindow* window, const FeatureFactories& factories)
    : window_(window), factories_(factories) {}

bool MainState::OnCommand(int code, const WideString& argument) {
    RefPtr<MainState> self(this);
    if (MultiState::OnCommand(code, argument)) return true;
    return RootCommand(code, argument);
}

bool MainState::RootCommand(int code, const WideString& argument) {
    using namespace PageCommand;
    switch (code) {
    case Break:
        SetChild(kMainFlowKey, nullptr);
        return true;
    case LocaleLoad:
        return StartFeature(kLocaleKey, factories_.locale, argument);
    case LocaleSetData:
        SetServerList(argument);
        return true;
    case ReserveDownloadChannel:
        ReserveChannel(argument);
        return true;
    case PrefsLoad:
        return StartFeature(kPrefsKey, factories_.prefs, argument);
    case LauncherUpdate:
        return StartFeature(kMainFlowKey, factories_.launcherUpdate, argument);
    case RunNewLauncher:
        EndWithRestart(false);
        return true;
    case FastCheckRun:
        return StartFeature(kMainFlowKey, factories_.fastCheck, argument);
    case FullCheckRun:
        return StartContainer(factories_.versionRepair, code, argument);
    case GameSetReady:
        return StartFeature(kMainFlowKey, factories_.game, argument);
    case VersionUpdate:
        return StartContainer(factories_.versionUpdate, code, argument);
    case ProgressiveFullCheckRun:
        Workflow::MinimumCheck() = false;
        return StartContainer(factories_.versionRepair, code, argument);
    case ProgressiveMinimumCheckRun:
        Workflow::MinimumCheck() = true;
        return StartContainer(factories_.versionRepair, code, argument);
    case Restart:
        EndWithRestart(true);
        return true;
    case PageCommand::OpenFirewallSettings:
        return OpenFirewallSettings();
    case NewLauncher:
        return StartContainer(factories_.launcherDownload, code, argument);
    case FrameLoad:
        if (window_) window_->SendEventArgs(WideString(u"Launcher.OnFrameLoad"), OneArgument(argument));
        return false;
    case PageCommand::SetLogin:
        return SetLogin(argument);
    case DemoAskForFullVersion:
        return AskForFullVersion();
    case DemoDownloadFullVersion:
        return StartFullVersionDownload();
    case DemoDownloadFullCancel:
        return CancelFullVersionDownload();
    default:
        return false;
    }
}

bool MainState::StartFeature(int key, const FeatureFactory& factory, const WideString& argument) {
    // The previous state goes first, so its destructor has stopped its work before
    // anything of the new one exists.
    SetChild(key, nullptr);
    if (key == kMainFlowKey) mainFlowContainer_ = {};
    if (!factory) return false;
    FeatureStart feature = factory(window_);
    if (!feature.state) return false;
    SetChild(key, feature.state.Get());
    return feature.start ? feature.start(argument) : true;
}

bool MainState::StartContainer(const FeatureFactory& factory, int code, const WideString& argument) {
    // A container of this kind in the slot has just been offered the command and
    // could not start its step; it has told the page, and a second container would
    // only fail and tell it again.
    IState* current = GetChild(kMainFlowKey);
    if (current && current == mainFlowContainer_.state && mainFlowContainer_.factory == &factory) return false;
    SetChild(kMainFlowKey, nullptr);
    mainFlowContainer_ = {};
    if (!factory) return false;
    FeatureStart container = factory(window_);
    if (!container.state) return false;
    RefPtr<IState> state = container.state;
    SetChild(kMainFlowKey, state.Get());
    mainFlowContainer_ = {&factory, state.Get()};
    return state->OnCommand(code, argument);
}

void MainState::EndWithRestart(bool inPlace) {
    RestartLauncher(inPlace);
    if (window_) window_->EndDialog(2);
}

void MainState::SetServerList(const WideString& argument) {
    StringVector pieces;
    StrUtil::Split(String(argument), String("|"), pieces);
    if (pieces.Size() < 2) return;
    Workflow::ChnServerList().isChn = StrUtil::ParseBool(pieces[0].CStr());
    Workflow::ChnServerList().srvlistUrl = pieces[1];
}

void MainState::ReserveChannel(const WideString& argument) {
    StringVector pieces;
    StrUtil::Split(String(argument), String(":"), pieces);
    if (pieces.Size() == 0) return;
    float value = 0.0f;
    if (StrUtil::ParseBool(pieces[0].CStr())) {
        bool ok = true;
        value = pieces.Size() < 2 ? 200.0f : StrUtil::ParseFloat(pieces[1].CStr(), &ok);
        // The speed comes from the page: an unreadable, negative or non-finite one
        // reserves nothing, a huge one is held where the byte rate still fits.
        if (!ok || !std::isfinite(value) || value < 0.0f) value = 0.0f;
        if (value > kMaxChannelKBps) value = kMaxChannelKBps;
    }
    Workflow::RequestedChannel() = value;
}

bool MainState::OpenFirewallSettings() {
    // No desktop shares one firewall panel; firewalld's own tool is the common one.
    const std::string tool = FindExecutableInPath("firewall-config");
    if (!tool.empty() && StartDetached(SpawnRequest{tool, {tool}, ""})) return true;
    // Without it the player is told which ports the system's firewall must admit.
    const TorrentSessionConfig listening;
    WideStringVector ports;
    ports.PushBack(StrUtil::Int64ToWide(listening.listenPortFirst));
    ports.PushBack(StrUtil::Int64ToWide(listening.listenPortLast));
    if (window_) window_->SendEventArgs(WideString(u"Launcher.OnFirewallSettingsMissing"), ports);
    return false;
}

bool MainState::SetLogin(const WideString& login) {
    // The settings file is line-based: a line break or NUL in a login from the page
    // would write keys of its own.
    WideString clean;
    for (std::size_t i = 0; i < login.Length(); ++i)
        if (login[i] != u'\r' && login[i] != u'\n' && login[i] != u'\0') clean.Append(login[i]);
    if (AppParams* params = GetAppParams()) {
        params->login = clean;
        params->SaveLogin();
    }
    if (window_) window_->SendEventArgs(WideString(u"Launcher.SetLogin"), OneArgument(clean));
    return true;
}

bool MainState::AskForFullVersion() {
    const AppParams* params = GetAppParams();
    if (!params || params->demoState != 1) return false;
    if (window_) window_->SendEvent(WideString(u"App.AskForFullVersion"));
    return true;
}

bool MainState::StartFullVersionDownload() {
    const AppParams* params = GetAppParams();
    if (!params || params->demoState != 1) return false;
    const std::string marker = String(params->demoPath).Std();
    if (marker.empty() || !IsRegularFile(marker)) return false;
    // A failed rename changes nothing, so the page is told nothing.
    if (!RenameWithoutReplacing(marker, WithOldExtension(marker))) return false;
    if (window_) window_->SendEvent(WideString(u"App.DemoDownloadFullVersion"));
    return true;
}

bool MainState::CancelFullVersionDownload() {
    AppParams* params = GetAppParams();
    if (!params || params->demoState != 2) return false;
    params->demoState = 3;
    if (window_) window_->SendEvent(WideString(u"App.DoExit"));
    return true;
}
