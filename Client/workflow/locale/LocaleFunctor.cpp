#include "workflow/locale/LocaleFunctor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/runtime/StrUtil.h"
#include "shell/LauncherConfig.h"
#include "shell/PathText.h"
#include "workflow/Settings.h"

WideString ReadMainSite(const String& path) {
    // Non-blocking, so a FIFO in the file's place cannot hold the launcher up.
    const int fd = open(path.CStr(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return WideString();
    struct stat info;
    unsigned char bytes[2 * LocaleFunctor::kMaxMainSiteUnits];
    ssize_t length = 0;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        ssize_t got = 0;
        while (length < static_cast<ssize_t>(sizeof bytes) &&
               (got = read(fd, bytes + length, sizeof bytes - static_cast<std::size_t>(length))) > 0)
            length += got;
    }
    close(fd);
    WideString text;
    for (ssize_t i = 0; i + 1 < length; i += 2) {
        const char16_t unit = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
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
