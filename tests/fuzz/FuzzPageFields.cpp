// The preferences' nine fields and the launcher update's mode, as the page sends them:
// a refusal changes nothing, what is read is in range, and reading what was read,
// written back in the page's form, gives the same again.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/runtime/StrUtil.h"
#include "workflow/MainState.h"
#include "workflow/launcherupdate/DownloadedLauncher.h"
#include "workflow/prefs/PrefsRecord.h"

namespace {

WideString PageFields(const PrefsRecord& record) {
    return StrUtil::FormatW("%d:%d:%d:%d:%d:%d:%d:%.9g:%.9g", record.isGameMovementMouse ? 1 : 0,
                            record.isSoundMute ? 1 : 0, record.isGfxFullscreen ? 1 : 0, int{record.gfxQuality},
                            int{record.gfxScreen}, int{record.patchSaveSize}, record.isFutureUpdates ? 1 : 0,
                            double{record.downLimitGameActive}, double{record.downLimitGameRun});
}

bool InRange(float limit) { return std::isfinite(limit) && limit >= 0.0f && limit <= MainState::kMaxChannelKBps; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const WideString argument = StrUtil::ToWide(String(text.data(), text.data() + text.size()));

    PrefsRecord record;
    record.gfxScreen = 7;  // not a value a read would leave by chance
    const PrefsRecord before = record;
    std::size_t separators = 0;
    for (std::size_t i = 0; i < argument.Length(); ++i) separators += argument[i] == u':' ? 1 : 0;
    if (!record.ReadPageFields(argument)) {
        if (!(record == before) || separators == PrefsRecord::kFieldCount - 1) __builtin_trap();
    } else {
        if (separators != PrefsRecord::kFieldCount - 1) __builtin_trap();
        if (!InRange(record.downLimitGameActive) || !InRange(record.downLimitGameRun)) __builtin_trap();
        PrefsRecord again;
        if (!again.ReadPageFields(PageFields(record)) || !(again == record)) __builtin_trap();
    }

    // A mode is a whole number written as nothing but that number.
    const int mode = ParseLauncherMode(argument);
    if (mode != 0) {
        for (std::size_t i = 0; i < argument.Length(); ++i) {
            const char16_t c = argument[i];
            const bool allowed = (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F') ||
                                 c == u'x' || c == u'X' || c == u'+' || c == u'-';
            if (!allowed) __builtin_trap();
        }
        if (ParseLauncherMode(StrUtil::FormatW("%d", mode)) != mode) __builtin_trap();
    }
    return 0;
}
