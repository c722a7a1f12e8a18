#include "workflow/prefs/PrefsFunctor.h"

#include "shell/LauncherConfig.h"
#include "workflow/Settings.h"
#include "workflow/WorkflowValues.h"

PrefsFunctor::~PrefsFunctor() {
    if (unsaved_) WriteSettings();
}

bool PrefsFunctor::SetDownloadFullBackground(bool flag) {
    Settings::download_full_background.SetBool(flag);
    view_->SetDownloadFullState(flag);
    return true;
}

bool PrefsFunctor::Load(bool progressive) {
    Workflow::ProgressiveDownload() = progressive;
    ReadSettings();
    PrefsRecord defaults;
    defaults.SetDefaults(modes_);
    if (modes_.Size() == 0) {
        view_->OnError();
        return false;
    }
    view_->OnLoad(current_, defaults, modes_, Settings::download_full_background.GetBool(),
                  params_ ? params_->demoState : 0, params_ ? params_->login : WideString());
    return true;
}

bool PrefsFunctor::Apply(const PrefsRecord& record) {
    current_ = record;
    WriteSettings();
    view_->OnApply();
    return true;
}

bool PrefsFunctor::Reset() {
    current_.SetDefaults(modes_);
    WriteSettings();
    view_->OnReset();
    return true;
}

void PrefsFunctor::ReadSettings() {
    current_.isGfxFullscreen = Settings::gfxFullScreen.GetBool();
    current_.gfxScreen = modes_.IndexOf(Settings::gfxResolution.GetWString());
    current_.isGameMovementMouse = Settings::use_move_by_click.GetBool();
    current_.isSoundMute = Settings::muteAll.GetBool();
    current_.gfxQuality = Settings::gfxAutoDetect.GetBool() ? PrefsRecord::kAutoDetect : Settings::gfxSystemSpec.GetInt();
    current_.patchSaveSize = Settings::launcherPatchSaveSize.GetInt();
    current_.isFutureUpdates = Settings::prepatch_download.GetBool();
    current_.downLimitGameActive = Settings::prepatch_limit_active.GetFloat();
    current_.downLimitGameRun = Settings::prepatch_limit_run.GetFloat();
}

void PrefsFunctor::WriteSettings() {
    Settings::use_move_by_click.SetBool(current_.isGameMovementMouse);
    Settings::muteAll.SetBool(current_.isSoundMute);
    Settings::gfxFullScreen.SetBool(current_.isGfxFullscreen);
    Settings::gfxAutoDetect.SetBool(current_.gfxQuality == PrefsRecord::kAutoDetect);
    Settings::launcherPatchSaveSize.SetInt(current_.patchSaveSize);
    Settings::prepatch_download.SetBool(current_.isFutureUpdates);
    Settings::prepatch_limit_active.SetFloat(current_.downLimitGameActive);
    Settings::prepatch_limit_run.SetFloat(current_.downLimitGameRun);
    if (current_.gfxQuality != PrefsRecord::kAutoDetect) {
        Settings::gfxSystemSpec.SetInt(current_.gfxQuality);
        Settings::gfxSystemSpecPartial.SetBool(true);
    }
    // An index the list does not hold (none from the page, or no modes at all) keeps
    // the stored resolution.
    if (modes_.Contains(current_.gfxScreen))
        Settings::gfxResolution.SetWString(modes_[static_cast<std::size_t>(current_.gfxScreen)].text);
    unsaved_ = !SettingsStore().Save();
}
