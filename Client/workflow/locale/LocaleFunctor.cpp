#include "workflow/locale/LocaleFunctor.h"

#include <string>

#include "base/runtime/StrUtil.h"
#include "platform/posix/RegularFile.h"
#include "shell/LauncherConfig.h"
#include "shell/PathText.h"
#include "workflow/Settings.h"

WideString ReadMainSite(const String& path) {
    std::string bytes;
    Posix::ReadRegularFile(path.CStr(), Posix::Links::Follow, 2 * LocaleFunctor::kMaxMainSiteUnits, bytes);
    WideString text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t unit = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                    (static_cast<unsigned char>(bytes[i + 1]) << 8));
        if (unit == u'\0') break;
        text.Append(unit);
    }
    return text;
}

WideString StorableLocale(const WideString& locale) {
    WideString clean;
    for (std::size_t i = 0; i < locale.Length() && clean.Length() < LocaleFunctor::kMaxLocaleUnits; ++i)
        if (locale[i] >= 0x20 && locale[i] != 0x7F) clean.Append(locale[i]);
    return clean;
}

bool LocaleFunctor::Save(const WideString& locale) {
    const WideString stored = StorableLocale(locale);
    Settings::localization.SetWString(stored);
    SettingsStore().Save();
    view_->OnLoad(stored, WideString());
    return true;
}

bool LocaleFunctor::Load() {
    const WideString mainSite = ReadMainSite(StrUtil::ToNarrow(PathText::Join(folder_, WideString(u"trd2.bin"))));
    view_->OnLoad(Settings::localization.GetWString(), mainSite);
    return true;
}
