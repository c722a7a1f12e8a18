#include "workflow/prefs/PrefsRecord.h"

#include <algorithm>

#include "base/runtime/StrUtil.h"
#include "workflow/MainState.h"

namespace {

float ReadLimit(const String& text) {
    // ParseFloat refuses NaN and infinities; what is left is held in range.
    return std::clamp(StrUtil::ParseFloat(text.CStr()), 0.0f, MainState::kMaxChannelKBps);
}

}  // namespace

void PrefsRecord::SetDefaults(const DisplayModes& modes) {
    *this = PrefsRecord();
    gfxScreen = modes.IndexOf(WideString(u"1280x1024"));
}

bool PrefsRecord::ReadPageFields(const WideString& argument) {
    StringVector fields;
    StrUtil::Split(StrUtil::ToNarrow(argument), String(":"), fields);
    if (fields.Size() != kFieldCount) return false;
    isGameMovementMouse = StrUtil::ParseBool(fields[0].CStr());
    isSoundMute = StrUtil::ParseBool(fields[1].CStr());
    isGfxFullscreen = StrUtil::ParseBool(fields[2].CStr());
    gfxQuality = StrUtil::ParseInt(fields[3].CStr());
    gfxScreen = StrUtil::ParseInt(fields[4].CStr());
    patchSaveSize = StrUtil::ParseInt(fields[5].CStr());
    isFutureUpdates = StrUtil::ParseBool(fields[6].CStr());
    downLimitGameActive = ReadLimit(fields[7]);
    downLimitGameRun = ReadLimit(fields[8]);
    return true;
}
