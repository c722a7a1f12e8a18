#pragma once
// The launcher's user settings ("Personal/Global.cfg") and run-time switches, each
// defined here once with its type, default and group. Code elsewhere either uses these
// objects (after static initialisation) or binds to a key with a Global::Var reference
// of the same name, which is safe at any time.
#include "base/config/GlobalVar.h"

namespace Settings {

// User group: loaded from and saved to "Personal/Global.cfg".
extern Global::WString localization;          // locale folder suffix, empty
extern Global::WString launcherLogin;         // empty
extern Global::Bool gfxFullScreen;            // false
extern Global::WString gfxResolution;         // "1280x1024"
extern Global::Bool use_move_by_click;        // true
extern Global::Bool muteAll;                  // false
extern Global::Bool gfxAutoDetect;            // true
extern Global::Int gfxSystemSpec;             // 0
extern Global::Bool gfxSystemSpecPartial;     // false
extern Global::Int launcherPatchSaveSize;     // 500
extern Global::Bool prepatch_download;        // false
extern Global::Bool download_full_background; // false
extern Global::Float prepatch_limit_active;   // kilobytes per second, 20
extern Global::Float prepatch_limit_run;      // kilobytes per second, 100
extern Global::String prepatch_ready;         // version of the downloaded future patch, empty

// Run-time group: never saved; a configuration line can still set them for the run.
extern Global::Int vantry_project_id;         // 0
extern Global::Int gfx_texture_mip;           // 2
extern Global::Bool fakeVantry;               // false
extern Global::Bool logEnabled;               // false
extern Global::Int uploadLimit;               // bytes per second, 1048576

}  // namespace Settings
