#include "shell/LauncherApp.h"

#include <clocale>
#include <locale>
#include <unistd.h>

#include "base/runtime/Log.h"
#include "base/runtime/StrUtil.h"
#include "base/runtime/Vector.h"
#include "shell/CommandLineParams.h"
#include "shell/LauncherConfig.h"
#include "shell/PathText.h"
#include "shell/PreviousLauncher.h"
#include "shell/ProgramStarts.h"
#include "shell/SingleInstance.h"
#include "shell/resources/MessageSink.h"
#include "shell/resources/ResourceData.h"
#include "shell/resources/StringIds.h"
#include "shell/resources/StringTable.h"

namespace {

const WideString& MainPageAddress() {
    static const WideString address(u"vfs://Launcher/res/launcher.htm");
    return address;
}

// The mounted pack reads from this buffer, so it lives until the process ends.
ByteVector& UiArchive() {
    static ByteVector* archive = new ByteVector;
    return *archive;
}

// Numbers and text never follow the user's locale: the files we read and write
// use '.' decimals, and narrow text is UTF-8.
void UseNeutralLocale() {
    std::locale::global(std::locale::classic());
    std::setlocale(LC_ALL, "C");
    std::setlocale(LC_CTYPE, "C.UTF-8");
}

// A launcher started from its download folder ("/update", "/reinstall") leaves that
// folder removable: the self-update keeps every "Personal" folder, so a log or a
// settings file beside the download would stop "/droptemp" from deleting it. Its logs
// stay off (the restarted launcher truncates them anyway) and its settings are the
// installation's.
void KeepDownloadFolderRemovable(AppParams& params) {
    SetLogFolder(String());
    if (params.cmdPath.IsEmpty()) return;
    params.globalCfgPath = PathText::Join(params.cmdPath, LoadResString(StringId::GlobalCfg));
    params.login = LoadUserSettings(params.globalCfgPath);
}

}  // namespace

bool IsInBinFolder() {
    char buffer[4096];
    if (!getcwd(buffer, sizeof buffer)) return false;
    return StrUtil::ToLowerAscii(PathText::LastComponent(StrUtil::ToWide(String(buffer)))).View() == u"bin";
}

int LauncherApp::Run(int argc, const char* const* argv) {
    UseNeutralLocale();

    RefPtr<AppParams> params(new AppParams);
    SetAppParams(params.Get());
    {
        CommandLineParams commandLine(*params, processes_.OwnExecutablePath());
        commandLine.ParseArguments(argc, argv);
    }

    if (!params->update && !params->reinstall && !IsInBinFolder()) {
        SetAppParams(nullptr);
        return 0;
    }
    if (params->update || params->reinstall) KeepDownloadFolderRemovable(*params);

    WaitForPreviousLauncher(*params, processes_, kPreviousLauncherWaitMs);

    if (std::unique_ptr<NamedMutex> instance = TakeSingleInstance()) {
        LoadResourceData(ResourceId::UiArchive, UiArchive());
        steps_.RegisterVfsProtocol(WideString(u"Resources/"), WideString(u"LauncherResources.pak"), UiArchive());
        if (CheckEnvironment(*params) && RemoveStalePatchScript(*params)) {
            // The key travels as arguments of its own (see BuildApplierStart).
            RunVaraRurezod(RunMainWindow(*params));
        }
        steps_.UnregisterVfsProtocol();
    }
    SetAppParams(nullptr);
    return 0;
}

WideString LauncherApp::RunMainWindow(AppParams& params) {
    WideString followUp;
    const bool ready =
        steps_.RunMainWindow(params, MainPageAddress(), LoadResString(StringId::MainWindowPositionKey), followUp);
    if (!ready) ShowResourceMessage(StringId::PageNeverReady, MessageStyle::IconError);
    return followUp;
}

void LauncherApp::RunVaraRurezod(const WideString& followUp) {
    StartDetached(BuildApplierStart(followUp, AuthKey()));
}

bool LauncherApp::RelaunchElevated(bool rip) {
    if (StartDetached(BuildElevatedStart(processes_.OwnExecutablePath(), rip))) return true;
    ShowResourceMessage(StringId::NeedsAdministrator, MessageStyle::IconError);
    return false;
}
