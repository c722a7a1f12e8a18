#include "workflow/Settings.h"

namespace Settings {

Global::WString localization("localization", u"", Global::UserGroup());
Global::WString launcherLogin("launcherLogin", u"", Global::UserGroup());
Global::Bool gfxFullScreen("gfxFullScreen", false, Global::UserGroup());
Global::WString gfxResolution("gfxResolution", u"1280x1024", Global::UserGroup());
Global::Bool use_move_by_click("use_move_by_click", true, Global::UserGroup());
Global::Bool muteAll("muteAll", false, Global::UserGroup());
Global::Bool gfxAutoDetect("gfxAutoDetect", true, Global::UserGroup());
Global::Int gfxSystemSpec("gfxSystemSpec", 0, Global::UserGroup());
Global::Bool gfxSystemSpecPartial("gfxSystemSpecPartial", false, Global::UserGroup());
Global::Int launcherPatchSaveSize("launcherPatchSaveSize", 500, Global::UserGroup());
Global::Bool prepatch_download("prepatch_download", false, Global::UserGroup());
Global::Bool download_full_background("download_full_background", false, Global::UserGroup());
Global::Float prepatch_limit_active("prepatch_limit_active", 20.0f, Global::UserGroup());
Global::Float prepatch_limit_run("prepatch_limit_run", 100.0f, Global::UserGroup());
Global::String prepatch_ready("prepatch_ready", "", Global::UserGroup());

Global::Int vantry_project_id("vantry_project_id", 0, Global::RuntimeGroup());
Global::Int gfx_texture_mip("gfx_texture_mip", 2, Global::RuntimeGroup());
Global::Bool fakeVantry("fakeVantry", false, Global::RuntimeGroup());
Global::Bool logEnabled("logEnabled", false, Global::RuntimeGroup());
Global::Int uploadLimit("uploadLimit", 1048576, Global::RuntimeGroup());

}  // namespace Settings
